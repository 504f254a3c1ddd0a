// TWAIN 1.x types, structures and constants as the standard publishes them for Windows: structures packed on
// 2-byte boundaries. Our own header because Wine's twain.h clashes with mingw's windows.h. Handles and memory
// references are pointer-sized, so the same sources serve the 32-bit product and the 64-bit test build.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

using TW_INT8 = char;
using TW_INT16 = short;
using TW_INT32 = int32_t;  // "long" in the standard: 32 bits on Windows
using TW_UINT8 = unsigned char;
using TW_UINT16 = unsigned short;
using TW_UINT32 = uint32_t;
using TW_BOOL = unsigned short;
using TW_HANDLE = HANDLE;
using TW_MEMREF = LPVOID;
using TW_STR32 = char[34];
using TW_STR64 = char[66];
using TW_STR128 = char[130];
using TW_STR255 = char[256];

#pragma pack(push, 2)

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};
struct TW_CIEPOINT {
    TW_FIX32 X, Y, Z;
};
struct TW_DECODEFUNCTION {
    TW_FIX32 StartIn, BreakIn, EndIn, StartOut, BreakOut, EndOut, Gamma, SampleCount;
};
struct TW_ELEMENT8 {
    TW_UINT8 Index, Channel1, Channel2, Channel3;
};
struct TW_FRAME {
    TW_FIX32 Left, Top, Right, Bottom;
};
struct TW_MEMORY {
    TW_UINT32 Flags;
    TW_UINT32 Length;
    TW_MEMREF TheMem;
};
struct TW_TRANSFORMSTAGE {
    TW_DECODEFUNCTION Decode[3];
    TW_FIX32 Mix[3][3];
};
struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};
struct TW_ARRAY {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT8 ItemList[1];
};
struct TW_ENUMERATION {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    TW_UINT8 ItemList[1];
};
struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};
struct TW_RANGE {
    TW_UINT16 ItemType;
    TW_UINT32 MinValue;
    TW_UINT32 MaxValue;
    TW_UINT32 StepSize;
    TW_UINT32 DefaultValue;
    TW_UINT32 CurrentValue;
};
struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};
struct TW_CIECOLOR {
    TW_UINT16 ColorSpace;
    TW_INT16 LowEndian;
    TW_INT16 DeviceDependent;
    TW_INT32 VersionNumber;
    TW_TRANSFORMSTAGE StageABC;
    TW_TRANSFORMSTAGE StageLMN;
    TW_CIEPOINT WhitePoint;
    TW_CIEPOINT BlackPoint;
    TW_CIEPOINT WhitePaper;
    TW_CIEPOINT BlackInk;
    TW_FIX32 Samples[1];
};
struct TW_EVENT {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};
struct TW_GRAYRESPONSE {
    TW_ELEMENT8 Response[1];
};
struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};
struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};
struct TW_IMAGELAYOUT {
    TW_FRAME Frame;
    TW_UINT32 DocumentNumber;
    TW_UINT32 PageNumber;
    TW_UINT32 FrameNumber;
};
struct TW_IMAGEMEMXFER {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow;
    TW_UINT32 Columns;
    TW_UINT32 Rows;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 BytesWritten;
    TW_MEMORY Memory;
};
struct TW_PALETTE8 {
    TW_UINT16 NumColors;
    TW_UINT16 PaletteType;
    TW_ELEMENT8 Colors[256];
};
struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    union {
        TW_UINT32 EOJ;
        TW_UINT32 Reserved;
    };
};
struct TW_RGBRESPONSE {
    TW_ELEMENT8 Response[1];
};
struct TW_SETUPFILEXFER {
    TW_STR255 FileName;
    TW_UINT16 Format;
    TW_INT16 VRefNum;
};
struct TW_SETUPMEMXFER {
    TW_UINT32 MinBufSize;
    TW_UINT32 MaxBufSize;
    TW_UINT32 Preferred;
};
struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};
struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

#pragma pack(pop)

using pTW_IDENTITY = TW_IDENTITY*;

// Layouts that applications and managers depend on.
static_assert(sizeof(TW_FIX32) == 4);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(sizeof(TW_RANGE) == 22);
static_assert(sizeof(TW_IMAGEINFO) == 42);
static_assert(sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_STATUS) == 4);
static_assert(sizeof(TW_SETUPFILEXFER) == 260);
static_assert(sizeof(TW_PALETTE8) == 1028);
static_assert(offsetof(TW_ENUMERATION, ItemList) == 14);
static_assert(offsetof(TW_ARRAY, ItemList) == 6);
static_assert(sizeof(TW_EVENT) == sizeof(void*) + 2);
static_assert(sizeof(TW_USERINTERFACE) == 4 + sizeof(void*));
static_assert(sizeof(TW_CAPABILITY) == 4 + sizeof(void*));
static_assert(offsetof(TW_IMAGEMEMXFER, Memory) == 26);
#if INTPTR_MAX > INT32_MAX  // 64-bit Windows, and the native builds of the pure parts
static_assert(sizeof(TW_EVENT) == 10);
#else
static_assert(sizeof(TW_EVENT) == 6);
static_assert(sizeof(TW_USERINTERFACE) == 8);
static_assert(sizeof(TW_IMAGEMEMXFER) == 38);
#endif

// The two entry points, as the standard declares them for Windows.
using DSENTRYPROC = TW_UINT16(WINAPI*)(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                       TW_MEMREF pData);
using DSMENTRYPROC = TW_UINT16(WINAPI*)(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                        TW_UINT16 MSG, TW_MEMREF pData);

// Data groups
constexpr TW_UINT32 DG_CONTROL = 0x0001;
constexpr TW_UINT32 DG_IMAGE = 0x0002;
constexpr TW_UINT32 DG_AUDIO = 0x0004;

// Data argument types
constexpr TW_UINT16 DAT_NULL = 0x0000;
constexpr TW_UINT16 DAT_CUSTOMBASE = 0x8000;
constexpr TW_UINT16 DAT_CAPABILITY = 0x0001;
constexpr TW_UINT16 DAT_EVENT = 0x0002;
constexpr TW_UINT16 DAT_IDENTITY = 0x0003;
constexpr TW_UINT16 DAT_PARENT = 0x0004;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x0005;
constexpr TW_UINT16 DAT_SETUPMEMXFER = 0x0006;
constexpr TW_UINT16 DAT_SETUPFILEXFER = 0x0007;
constexpr TW_UINT16 DAT_STATUS = 0x0008;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x0009;
constexpr TW_UINT16 DAT_XFERGROUP = 0x000a;
constexpr TW_UINT16 DAT_TWUNKIDENTITY = 0x000b;
constexpr TW_UINT16 DAT_CUSTOMDSDATA = 0x000c;
constexpr TW_UINT16 DAT_DEVICEEVENT = 0x000d;
constexpr TW_UINT16 DAT_FILESYSTEM = 0x000e;
constexpr TW_UINT16 DAT_PASSTHRU = 0x000f;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x0101;
constexpr TW_UINT16 DAT_IMAGELAYOUT = 0x0102;
constexpr TW_UINT16 DAT_IMAGEMEMXFER = 0x0103;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;
constexpr TW_UINT16 DAT_IMAGEFILEXFER = 0x0105;
constexpr TW_UINT16 DAT_CIECOLOR = 0x0106;
constexpr TW_UINT16 DAT_GRAYRESPONSE = 0x0107;
constexpr TW_UINT16 DAT_RGBRESPONSE = 0x0108;
constexpr TW_UINT16 DAT_JPEGCOMPRESSION = 0x0109;
constexpr TW_UINT16 DAT_PALETTE8 = 0x010a;
constexpr TW_UINT16 DAT_EXTIMAGEINFO = 0x010b;
constexpr TW_UINT16 DAT_AUDIOFILEXFER = 0x0201;
constexpr TW_UINT16 DAT_AUDIOINFO = 0x0202;
constexpr TW_UINT16 DAT_AUDIONATIVEXFER = 0x0203;
constexpr TW_UINT16 DAT_ENTRYPOINT = 0x0403;

// Messages
constexpr TW_UINT16 MSG_NULL = 0x0000;
constexpr TW_UINT16 MSG_CUSTOMBASE = 0x8000;
constexpr TW_UINT16 MSG_GET = 0x0001;
constexpr TW_UINT16 MSG_GETCURRENT = 0x0002;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x0003;
constexpr TW_UINT16 MSG_GETFIRST = 0x0004;
constexpr TW_UINT16 MSG_GETNEXT = 0x0005;
constexpr TW_UINT16 MSG_SET = 0x0006;
constexpr TW_UINT16 MSG_RESET = 0x0007;
constexpr TW_UINT16 MSG_QUERYSUPPORT = 0x0008;
constexpr TW_UINT16 MSG_GETHELP = 0x0009;
constexpr TW_UINT16 MSG_GETLABEL = 0x000a;
constexpr TW_UINT16 MSG_GETLABELENUM = 0x000b;
constexpr TW_UINT16 MSG_SETCONSTRAINT = 0x000c;
constexpr TW_UINT16 MSG_XFERREADY = 0x0101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x0103;
constexpr TW_UINT16 MSG_DEVICEEVENT = 0;
constexpr TW_UINT16 MSG_CHECKSTATUS = 0x0201;
constexpr TW_UINT16 MSG_OPENDSM = 0x0301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x0302;
constexpr TW_UINT16 MSG_OPENDS = 0x0401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x0402;
constexpr TW_UINT16 MSG_USERSELECT = 0x0403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x0501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x0502;
constexpr TW_UINT16 MSG_ENABLEDSUIONLY = 0x0503;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x0601;
constexpr TW_UINT16 MSG_ENDXFER = 0x0701;
constexpr TW_UINT16 MSG_CHANGEDIRECTORY = 0x0801;
constexpr TW_UINT16 MSG_CREATEDIRECTORY = 0x0802;
constexpr TW_UINT16 MSG_DELETE = 0x0803;
constexpr TW_UINT16 MSG_FORMATMEDIA = 0x0804;
constexpr TW_UINT16 MSG_GETCLOSE = 0x0805;
constexpr TW_UINT16 MSG_GETFIRSTFILE = 0x0806;
constexpr TW_UINT16 MSG_GETINFO = 0x0807;
constexpr TW_UINT16 MSG_GETNEXTFILE = 0x0808;
constexpr TW_UINT16 MSG_RENAME = 0x0809;
constexpr TW_UINT16 MSG_PASSTHRU = 0x0901;

// Return codes
constexpr TW_UINT16 TWRC_CUSTOMBASE = 0x8000;
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;
constexpr TW_UINT16 TWRC_ENDOFLIST = 7;
constexpr TW_UINT16 TWRC_INFONOTSUPPORTED = 8;
constexpr TW_UINT16 TWRC_DATANOTAVAILABLE = 9;

// Condition codes
constexpr TW_UINT16 TWCC_CUSTOMBASE = 0x8000;
constexpr TW_UINT16 TWCC_SUCCESS = 0;
constexpr TW_UINT16 TWCC_BUMMER = 1;
constexpr TW_UINT16 TWCC_LOWMEMORY = 2;
constexpr TW_UINT16 TWCC_NODS = 3;
constexpr TW_UINT16 TWCC_MAXCONNECTIONS = 4;
constexpr TW_UINT16 TWCC_OPERATIONERROR = 5;
constexpr TW_UINT16 TWCC_BADCAP = 6;
constexpr TW_UINT16 TWCC_BADPROTOCOL = 9;
constexpr TW_UINT16 TWCC_BADVALUE = 10;
constexpr TW_UINT16 TWCC_SEQERROR = 11;
constexpr TW_UINT16 TWCC_BADDEST = 12;
constexpr TW_UINT16 TWCC_CAPUNSUPPORTED = 13;
constexpr TW_UINT16 TWCC_CAPBADOPERATION = 14;
constexpr TW_UINT16 TWCC_CAPSEQERROR = 15;
constexpr TW_UINT16 TWCC_DENIED = 16;
constexpr TW_UINT16 TWCC_FILEEXISTS = 17;
constexpr TW_UINT16 TWCC_FILENOTFOUND = 18;
constexpr TW_UINT16 TWCC_NOTEMPTY = 19;
constexpr TW_UINT16 TWCC_PAPERJAM = 20;
constexpr TW_UINT16 TWCC_PAPERDOUBLEFEED = 21;
constexpr TW_UINT16 TWCC_FILEWRITEERROR = 22;
constexpr TW_UINT16 TWCC_CHECKDEVICEONLINE = 23;

// Item types
constexpr TW_UINT16 TWTY_INT8 = 0x0000;
constexpr TW_UINT16 TWTY_INT16 = 0x0001;
constexpr TW_UINT16 TWTY_INT32 = 0x0002;
constexpr TW_UINT16 TWTY_UINT8 = 0x0003;
constexpr TW_UINT16 TWTY_UINT16 = 0x0004;
constexpr TW_UINT16 TWTY_UINT32 = 0x0005;
constexpr TW_UINT16 TWTY_BOOL = 0x0006;
constexpr TW_UINT16 TWTY_FIX32 = 0x0007;
constexpr TW_UINT16 TWTY_FRAME = 0x0008;
constexpr TW_UINT16 TWTY_STR32 = 0x0009;
constexpr TW_UINT16 TWTY_STR64 = 0x000a;
constexpr TW_UINT16 TWTY_STR128 = 0x000b;
constexpr TW_UINT16 TWTY_STR255 = 0x000c;

// Container types and "don't care" values
constexpr TW_UINT16 TWON_PROTOCOLMINOR = 8;
constexpr TW_UINT16 TWON_PROTOCOLMAJOR = 1;
constexpr TW_UINT16 TWON_ARRAY = 3;
constexpr TW_UINT16 TWON_ENUMERATION = 4;
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_RANGE = 6;
constexpr TW_UINT16 TWON_ICONID = 962;
constexpr TW_UINT16 TWON_DSMID = 461;
constexpr TW_UINT16 TWON_DSMCODEID = 63;
constexpr TW_UINT8 TWON_DONTCARE8 = 0xff;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xffff;
constexpr TW_UINT32 TWON_DONTCARE32 = 0xffffffff;

// Generic capabilities
constexpr TW_UINT16 CAP_CUSTOMBASE = 0x8000;
constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001;
constexpr TW_UINT16 CAP_AUTHOR = 0x1000;
constexpr TW_UINT16 CAP_CAPTION = 0x1001;
constexpr TW_UINT16 CAP_FEEDERENABLED = 0x1002;
constexpr TW_UINT16 CAP_FEEDERLOADED = 0x1003;
constexpr TW_UINT16 CAP_TIMEDATE = 0x1004;
constexpr TW_UINT16 CAP_SUPPORTEDCAPS = 0x1005;
constexpr TW_UINT16 CAP_EXTENDEDCAPS = 0x1006;
constexpr TW_UINT16 CAP_AUTOFEED = 0x1007;
constexpr TW_UINT16 CAP_CLEARPAGE = 0x1008;
constexpr TW_UINT16 CAP_FEEDPAGE = 0x1009;
constexpr TW_UINT16 CAP_REWINDPAGE = 0x100a;
constexpr TW_UINT16 CAP_INDICATORS = 0x100b;
constexpr TW_UINT16 CAP_SUPPORTEDCAPSEXT = 0x100c;
constexpr TW_UINT16 CAP_PAPERDETECTABLE = 0x100d;
constexpr TW_UINT16 CAP_UICONTROLLABLE = 0x100e;
constexpr TW_UINT16 CAP_DEVICEONLINE = 0x100f;
constexpr TW_UINT16 CAP_AUTOSCAN = 0x1010;
constexpr TW_UINT16 CAP_THUMBNAILSENABLED = 0x1011;
constexpr TW_UINT16 CAP_DUPLEX = 0x1012;
constexpr TW_UINT16 CAP_DUPLEXENABLED = 0x1013;
constexpr TW_UINT16 CAP_ENABLEDSUIONLY = 0x1014;
constexpr TW_UINT16 CAP_CUSTOMDSDATA = 0x1015;
constexpr TW_UINT16 CAP_ENDORSER = 0x1016;
constexpr TW_UINT16 CAP_JOBCONTROL = 0x1017;
constexpr TW_UINT16 CAP_ALARMS = 0x1018;
constexpr TW_UINT16 CAP_ALARMVOLUME = 0x1019;
constexpr TW_UINT16 CAP_AUTOMATICCAPTURE = 0x101a;
constexpr TW_UINT16 CAP_TIMEBEFOREFIRSTCAPTURE = 0x101b;
constexpr TW_UINT16 CAP_TIMEBETWEENCAPTURES = 0x101c;
constexpr TW_UINT16 CAP_CLEARBUFFERS = 0x101d;
constexpr TW_UINT16 CAP_MAXBATCHBUFFERS = 0x101e;
constexpr TW_UINT16 CAP_DEVICETIMEDATE = 0x101f;
constexpr TW_UINT16 CAP_POWERSUPPLY = 0x1020;
constexpr TW_UINT16 CAP_CAMERAPREVIEWUI = 0x1021;
constexpr TW_UINT16 CAP_DEVICEEVENT = 0x1022;
constexpr TW_UINT16 CAP_PAGEMULTIPLEACQUIRE = 0x1023;
constexpr TW_UINT16 CAP_SERIALNUMBER = 0x1024;
constexpr TW_UINT16 CAP_FILESYSTEM = 0x1025;
constexpr TW_UINT16 CAP_PRINTER = 0x1026;
constexpr TW_UINT16 CAP_PRINTERENABLED = 0x1027;
constexpr TW_UINT16 CAP_PRINTERINDEX = 0x1028;
constexpr TW_UINT16 CAP_PRINTERMODE = 0x1029;
constexpr TW_UINT16 CAP_PRINTERSTRING = 0x102a;
constexpr TW_UINT16 CAP_PRINTERSUFFIX = 0x102b;
constexpr TW_UINT16 CAP_LANGUAGE = 0x102c;
constexpr TW_UINT16 CAP_FEEDERALIGNMENT = 0x102d;
constexpr TW_UINT16 CAP_FEEDERORDER = 0x102e;
constexpr TW_UINT16 CAP_PAPERBINDING = 0x102f;
constexpr TW_UINT16 CAP_REACQUIREALLOWED = 0x1030;
constexpr TW_UINT16 CAP_PASSTHRU = 0x1031;
constexpr TW_UINT16 CAP_BATTERYMINUTES = 0x1032;
constexpr TW_UINT16 CAP_BATTERYPERCENTAGE = 0x1033;
constexpr TW_UINT16 CAP_POWERDOWNTIME = 0x1034;

// Image capabilities
constexpr TW_UINT16 ICAP_COMPRESSION = 0x0100;
constexpr TW_UINT16 ICAP_PIXELTYPE = 0x0101;
constexpr TW_UINT16 ICAP_UNITS = 0x0102;
constexpr TW_UINT16 ICAP_XFERMECH = 0x0103;
constexpr TW_UINT16 ICAP_AUTOBRIGHT = 0x1100;
constexpr TW_UINT16 ICAP_BRIGHTNESS = 0x1101;
constexpr TW_UINT16 ICAP_CONTRAST = 0x1103;
constexpr TW_UINT16 ICAP_CUSTHALFTONE = 0x1104;
constexpr TW_UINT16 ICAP_EXPOSURETIME = 0x1105;
constexpr TW_UINT16 ICAP_FILTER = 0x1106;
constexpr TW_UINT16 ICAP_FLASHUSED = 0x1107;
constexpr TW_UINT16 ICAP_GAMMA = 0x1108;
constexpr TW_UINT16 ICAP_HALFTONES = 0x1109;
constexpr TW_UINT16 ICAP_HIGHLIGHT = 0x110a;
constexpr TW_UINT16 ICAP_IMAGEFILEFORMAT = 0x110c;
constexpr TW_UINT16 ICAP_LAMPSTATE = 0x110d;
constexpr TW_UINT16 ICAP_LIGHTSOURCE = 0x110e;
constexpr TW_UINT16 ICAP_ORIENTATION = 0x1110;
constexpr TW_UINT16 ICAP_PHYSICALWIDTH = 0x1111;
constexpr TW_UINT16 ICAP_PHYSICALHEIGHT = 0x1112;
constexpr TW_UINT16 ICAP_SHADOW = 0x1113;
constexpr TW_UINT16 ICAP_FRAMES = 0x1114;
constexpr TW_UINT16 ICAP_XNATIVERESOLUTION = 0x1116;
constexpr TW_UINT16 ICAP_YNATIVERESOLUTION = 0x1117;
constexpr TW_UINT16 ICAP_XRESOLUTION = 0x1118;
constexpr TW_UINT16 ICAP_YRESOLUTION = 0x1119;
constexpr TW_UINT16 ICAP_MAXFRAMES = 0x111a;
constexpr TW_UINT16 ICAP_TILES = 0x111b;
constexpr TW_UINT16 ICAP_BITORDER = 0x111c;
constexpr TW_UINT16 ICAP_CCITTKFACTOR = 0x111d;
constexpr TW_UINT16 ICAP_LIGHTPATH = 0x111e;
constexpr TW_UINT16 ICAP_PIXELFLAVOR = 0x111f;
constexpr TW_UINT16 ICAP_PLANARCHUNKY = 0x1120;
constexpr TW_UINT16 ICAP_ROTATION = 0x1121;
constexpr TW_UINT16 ICAP_SUPPORTEDSIZES = 0x1122;
constexpr TW_UINT16 ICAP_THRESHOLD = 0x1123;
constexpr TW_UINT16 ICAP_XSCALING = 0x1124;
constexpr TW_UINT16 ICAP_YSCALING = 0x1125;
constexpr TW_UINT16 ICAP_BITORDERCODES = 0x1126;
constexpr TW_UINT16 ICAP_PIXELFLAVORCODES = 0x1127;
constexpr TW_UINT16 ICAP_JPEGPIXELTYPE = 0x1128;
constexpr TW_UINT16 ICAP_TIMEFILL = 0x112a;
constexpr TW_UINT16 ICAP_BITDEPTH = 0x112b;
constexpr TW_UINT16 ICAP_BITDEPTHREDUCTION = 0x112c;
constexpr TW_UINT16 ICAP_UNDEFINEDIMAGESIZE = 0x112d;
constexpr TW_UINT16 ICAP_IMAGEDATASET = 0x112e;
constexpr TW_UINT16 ICAP_EXTIMAGEINFO = 0x112f;
constexpr TW_UINT16 ICAP_MINIMUMHEIGHT = 0x1130;
constexpr TW_UINT16 ICAP_MINIMUMWIDTH = 0x1131;
constexpr TW_UINT16 ICAP_AUTODISCARDBLANKPAGES = 0x1134;
constexpr TW_UINT16 ICAP_FLIPROTATION = 0x1136;
constexpr TW_UINT16 ICAP_BARCODEDETECTIONENABLED = 0x1137;
constexpr TW_UINT16 ICAP_SUPPORTEDBARCODETYPES = 0x1138;
constexpr TW_UINT16 ICAP_BARCODEMAXSEARCHPRIORITIES = 0x1139;
constexpr TW_UINT16 ICAP_BARCODESEARCHPRIORITIES = 0x113a;
constexpr TW_UINT16 ICAP_BARCODESEARCHMODE = 0x113b;
constexpr TW_UINT16 ICAP_BARCODEMAXRETRIES = 0x113c;
constexpr TW_UINT16 ICAP_BARCODETIMEOUT = 0x113d;
constexpr TW_UINT16 ICAP_ZOOMFACTOR = 0x113e;
constexpr TW_UINT16 ICAP_PATCHCODEDETECTIONENABLED = 0x113f;
constexpr TW_UINT16 ICAP_SUPPORTEDPATCHCODETYPES = 0x1140;
constexpr TW_UINT16 ICAP_PATCHCODEMAXSEARCHPRIORITIES = 0x1141;
constexpr TW_UINT16 ICAP_PATCHCODESEARCHPRIORITIES = 0x1142;
constexpr TW_UINT16 ICAP_PATCHCODESEARCHMODE = 0x1143;
constexpr TW_UINT16 ICAP_PATCHCODEMAXRETRIES = 0x1144;
constexpr TW_UINT16 ICAP_PATCHCODETIMEOUT = 0x1145;
constexpr TW_UINT16 ICAP_FLASHUSED2 = 0x1146;
constexpr TW_UINT16 ICAP_IMAGEFILTER = 0x1147;
constexpr TW_UINT16 ICAP_NOISEFILTER = 0x1148;
constexpr TW_UINT16 ICAP_OVERSCAN = 0x1149;
constexpr TW_UINT16 ICAP_AUTOMATICBORDERDETECTION = 0x1150;
constexpr TW_UINT16 ICAP_AUTOMATICDESKEW = 0x1151;
constexpr TW_UINT16 ICAP_AUTOMATICROTATE = 0x1152;

// Units
constexpr TW_UINT16 TWUN_INCHES = 0;
constexpr TW_UINT16 TWUN_CENTIMETERS = 1;
constexpr TW_UINT16 TWUN_PICAS = 2;
constexpr TW_UINT16 TWUN_POINTS = 3;
constexpr TW_UINT16 TWUN_TWIPS = 4;
constexpr TW_UINT16 TWUN_PIXELS = 5;

// Pixel types
constexpr TW_UINT16 TWPT_BW = 0;
constexpr TW_UINT16 TWPT_GRAY = 1;
constexpr TW_UINT16 TWPT_RGB = 2;
constexpr TW_UINT16 TWPT_PALETTE = 3;
constexpr TW_UINT16 TWPT_CMY = 4;
constexpr TW_UINT16 TWPT_CMYK = 5;
constexpr TW_UINT16 TWPT_YUV = 6;
constexpr TW_UINT16 TWPT_YUVK = 7;
constexpr TW_UINT16 TWPT_CIEXYZ = 8;

// Compression
constexpr TW_UINT16 TWCP_NONE = 0;
constexpr TW_UINT16 TWCP_PACKBITS = 1;
constexpr TW_UINT16 TWCP_GROUP31D = 2;
constexpr TW_UINT16 TWCP_GROUP31DEOL = 3;
constexpr TW_UINT16 TWCP_GROUP32D = 4;
constexpr TW_UINT16 TWCP_GROUP4 = 5;
constexpr TW_UINT16 TWCP_JPEG = 6;
constexpr TW_UINT16 TWCP_LZW = 7;
constexpr TW_UINT16 TWCP_JBIG = 8;
constexpr TW_UINT16 TWCP_PNG = 9;
constexpr TW_UINT16 TWCP_RLE4 = 10;
constexpr TW_UINT16 TWCP_RLE8 = 11;
constexpr TW_UINT16 TWCP_BITFIELDS = 12;

// File formats
constexpr TW_UINT16 TWFF_TIFF = 0;
constexpr TW_UINT16 TWFF_PICT = 1;
constexpr TW_UINT16 TWFF_BMP = 2;
constexpr TW_UINT16 TWFF_XBM = 3;
constexpr TW_UINT16 TWFF_JFIF = 4;
constexpr TW_UINT16 TWFF_FPX = 5;
constexpr TW_UINT16 TWFF_TIFFMULTI = 6;
constexpr TW_UINT16 TWFF_PNG = 7;
constexpr TW_UINT16 TWFF_SPIFF = 8;
constexpr TW_UINT16 TWFF_EXIF = 9;

// Palette types
constexpr TW_UINT16 TWPA_RGB = 0;
constexpr TW_UINT16 TWPA_GRAY = 1;
constexpr TW_UINT16 TWPA_CMY = 2;

// Transfer mechanisms
constexpr TW_UINT16 TWSX_NATIVE = 0;
constexpr TW_UINT16 TWSX_FILE = 1;
constexpr TW_UINT16 TWSX_MEMORY = 2;

// Bit orders
constexpr TW_UINT16 TWBO_LSBFIRST = 0;
constexpr TW_UINT16 TWBO_MSBFIRST = 1;

// Planar/chunky
constexpr TW_UINT16 TWPC_CHUNKY = 0;
constexpr TW_UINT16 TWPC_PLANAR = 1;

// Pixel flavor
constexpr TW_UINT16 TWPF_CHOCOLATE = 0;
constexpr TW_UINT16 TWPF_VANILLA = 1;

// Memory flags
constexpr TW_UINT16 TWMF_APPOWNS = 0x1;
constexpr TW_UINT16 TWMF_DSMOWNS = 0x2;
constexpr TW_UINT16 TWMF_DSOWNS = 0x4;
constexpr TW_UINT16 TWMF_POINTER = 0x8;
constexpr TW_UINT16 TWMF_HANDLE = 0x10;

// What MSG_QUERYSUPPORT reports a source does for a capability (TW_ONEVALUE of TWTY_INT32)
constexpr TW_INT32 TWQC_GET = 0x0001;
constexpr TW_INT32 TWQC_SET = 0x0002;
constexpr TW_INT32 TWQC_GETDEFAULT = 0x0004;
constexpr TW_INT32 TWQC_GETCURRENT = 0x0008;
constexpr TW_INT32 TWQC_RESET = 0x0010;

inline constexpr TW_UINT16 TWLG_USA = 13;
inline constexpr TW_UINT16 TWCY_USA = 1;