// DG_CONTROL/DAT_SETUPFILEXFER and DG_IMAGE/DAT_IMAGEFILEXFER: the file named at set-up receives the stored
// image as a BMP file.
#include "twain/file_transfer.h"

#include "twain/image_block.h"
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/transfer_image.h"

#include <cstring>
#include <vector>

namespace lx9 {

char setupFileName[256] = {};

namespace {

constexpr const char* kDefaultFileName = "c:\\twain.bmp";
constexpr const char* kSetupPrefix = "General failure in response to DAT_SETUPFILEXFER, not supported.  ";

bool FileExists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

bool CreateEmptyFile(const char* name) {
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool WriteAll(HANDLE file, const void* bytes, size_t count) {
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) && written == count;
}

// The image as a BMP file: file header, the 40-byte header, the colour table, then the rows, each padded to
// four bytes as the file format requires (the stored rows are packed).
bool WriteBitmapFile(const char* name, const LockedImage& image) {
    const BITMAPINFOHEADER& stored = image.Header();
    const uint32_t packedRow = image.BytesPerRow();
    const uint32_t paddedRow = (packedRow + 3) & ~3u;
    const auto rows = static_cast<uint32_t>(stored.biHeight);
    const uint32_t tableBytes = stored.biClrUsed * 4;

    BITMAPINFOHEADER header = stored;
    header.biSizeImage = paddedRow * rows;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header + tableBytes;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    HANDLE out = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(out, &file, sizeof file) && WriteAll(out, &header, sizeof header) &&
              WriteAll(out, image.ColourTable(), tableBytes);
    std::vector<uint8_t> row(paddedRow, 0);
    for (uint32_t r = 0; ok && r < rows; ++r) {
        std::memcpy(row.data(), image.Pixels() + size_t{packedRow} * r, packedRow);
        ok = WriteAll(out, row.data(), row.size());
    }
    CloseHandle(out);
    return ok;
}

}  // namespace

// DG_CONTROL/DAT_SETUPFILEXFER (states 4 to 6 checked by the dispatch table)
TW_UINT16 SetupFileXferOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    auto* setup = static_cast<TW_SETUPFILEXFER*>(data);
    switch (msg) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT:
            // The default is reported whatever was set.
            std::memset(setup->FileName, 0, sizeof setup->FileName);
            std::strcpy(setup->FileName, kDefaultFileName);
            setup->Format = TWFF_BMP;
            setup->VRefNum = 0;
            return TWRC_SUCCESS;
        case MSG_SET:
            // The application's name need not be terminated: at most 255 characters are taken.
            std::memset(setupFileName, 0, sizeof setupFileName);
            std::memcpy(setupFileName, setup->FileName, strnlen(setup->FileName, sizeof setup->FileName - 1));
            if (FileExists(setupFileName) || CreateEmptyFile(setupFileName)) return TWRC_SUCCESS;
            return Refuse(TWCC_BADVALUE, "Unable to create file <<DAT_SETUPFILEXFER>>");
        default:
            return Refuse(TWCC_BADPROTOCOL, kSetupPrefix);
    }
}

// DG_IMAGE/DAT_IMAGEFILEXFER/MSG_GET, any state. The transfer ends the image's life like the memory transfer:
// once written, the block is freed and forgotten. A failed write keeps it for another transfer.
TW_UINT16 ImageFileXferOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF) {
    if (msg != MSG_GET) return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_IMAGEINFO.  ");
    if (!transferImage) return Refuse(TWCC_SEQERROR, "General failure in response to DAT_IMAGEINFO.  ");
    {
        LockedImage image(transferImage);
        if (!image.HasRows())
            return Refuse(TWCC_BADVALUE, "General failure in transfer bad info header info.  ");
        const char* name = setupFileName[0] ? setupFileName : kDefaultFileName;
        if (!WriteBitmapFile(name, image))
            return Refuse(TWCC_OPERATIONERROR, "General failure in transfer file open.  ");
    }
    FreeTransferImage();
    return TWRC_XFERDONE;
}

}  // namespace lx9
