// The three transfers and the pending-transfer count: native, buffered memory (strips), file.
#include "ds_twain_support.h"

#include "twain/file_transfer.h"
#include "twain/source_state.h"
#include "twain/strip_progress.h"
#include "twain/transfer_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace lx9test;

namespace {

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        ASSERT_EQ(app.Open(), TWRC_SUCCESS);
        lx9::sourceState = 500;
    }
    void TearDown() override { ResetModule(); }

    // One strip request into a buffer of the given size.
    TW_UINT16 Strip(std::vector<uint8_t>& buffer, TW_IMAGEMEMXFER& xfer) {
        std::memset(&xfer, 0, sizeof xfer);
        xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory.Length = static_cast<TW_UINT32>(buffer.size());
        xfer.Memory.TheMem = buffer.data();
        return app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
    }

    Application app;
    BoxWatcher boxes;
};

const char* kSequence = "DG DAT MSG is out of expected sequence.";

TEST_F(TransferTest, NativeTransferHandsTheBlockOverOnce) {
    HGLOBAL image = MakeImage(5, 3);
    StoreImageAndNotify(image);
    HANDLE handle = nullptr;
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    EXPECT_EQ(handle, image);
    EXPECT_EQ(lx9::transferImage, nullptr);  // forgotten: the application owns it now
    EXPECT_EQ(lx9::sourceState, 600);
    // The block is the image unchanged: header, then packed rows, bottom row first.
    auto* bytes = static_cast<const uint8_t*>(GlobalLock(handle));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(bytes)->biWidth, 5);
    EXPECT_EQ(bytes[40 + 2], PixelByte(0, 2, 2));
    EXPECT_EQ(bytes[40 + 15], PixelByte(0, 1, 0));
    GlobalUnlock(handle);
    EXPECT_EQ(GlobalFree(handle), nullptr);

    // A second request finds nothing: refused, never a freed handle.
    handle = nullptr;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{std::string("General failure in response to DAT_IMAGENATIVEXFER.  ") +
                                       kSequence});
}

TEST_F(TransferTest, StripsOfWholeRowsTopFirstInRedGreenBlue) {
    ControlFiles files;  // Min 640, Max 2048
    StoreImageAndNotify(MakeImage(100, 10));
    std::vector<uint8_t> buffer(1024), image;
    TW_IMAGEMEMXFER xfer;
    const uint32_t expectedRows[] = {3, 3, 3, 1};
    for (int strip = 0; strip < 4; ++strip) {
        ASSERT_EQ(Strip(buffer, xfer), TWRC_SUCCESS) << strip;
        EXPECT_EQ(xfer.Compression, TWCP_NONE);
        EXPECT_EQ(xfer.BytesPerRow, 300u);
        EXPECT_EQ(xfer.Columns, 100u);
        EXPECT_EQ(xfer.Rows, expectedRows[strip]);
        EXPECT_EQ(xfer.XOffset, 0u);
        EXPECT_EQ(xfer.YOffset, 3u * strip);
        EXPECT_EQ(xfer.BytesWritten, expectedRows[strip] * 300);
        image.insert(image.end(), buffer.begin(), buffer.begin() + xfer.BytesWritten);
    }
    ASSERT_EQ(image.size(), 3000u);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint8_t* rgb = &image[size_t(y) * 300 + size_t(x) * 3];
            ASSERT_EQ(rgb[0], PixelByte(x, y, 2)) << x << "," << y;
            ASSERT_EQ(rgb[1], PixelByte(x, y, 1)) << x << "," << y;
            ASSERT_EQ(rgb[2], PixelByte(x, y, 0)) << x << "," << y;
        }
    // The request after the last strip ends the transfer and frees the image.
    ASSERT_EQ(Strip(buffer, xfer), TWRC_XFERDONE);
    EXPECT_EQ(xfer.BytesWritten, 0u);
    EXPECT_EQ(lx9::transferImage, nullptr);
    EXPECT_EQ(lx9::stripBytesSent, 0u);
    EXPECT_EQ(lx9::stripCalls, 0u);
    EXPECT_FALSE(lx9::stripDone);
    // And the next one finds no image.
    EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 std::string("General failure in response to DAT_IMAGEINFO.  ") + kSequence});
}

TEST_F(TransferTest, AStripNeverRunsPastTheApplicationsBuffer) {
    ControlFiles files("[Setup Memory Transfer]\r\nMin=10\r\nMax=100000\r\n");
    StoreImageAndNotify(MakeImage(7, 5));  // 21-byte rows
    std::vector<uint8_t> buffer(64 + 16, 0xee);
    buffer.resize(64);  // 3 rows fit, 1 byte spare
    TW_IMAGEMEMXFER xfer;
    ASSERT_EQ(Strip(buffer, xfer), TWRC_SUCCESS);
    EXPECT_EQ(xfer.Rows, 3u);
    EXPECT_EQ(xfer.BytesWritten, 63u);
    EXPECT_EQ(buffer.data()[63], 0xee);
    ASSERT_EQ(Strip(buffer, xfer), TWRC_SUCCESS);
    EXPECT_EQ(xfer.Rows, 2u);
    EXPECT_EQ(xfer.YOffset, 3u);
    EXPECT_EQ(Strip(buffer, xfer), TWRC_XFERDONE);
}

TEST_F(TransferTest, BufferSizesOutsideMinAndMaxFailSilently) {
    {
        // No "Setup Memory Transfer" entries: 640 to 2048, though the set-up reports 512 as the minimum.
        ControlFiles files("[ADF]\r\nPendingImages=0\r\n");
        StoreImageAndNotify(MakeImage(100, 10));
        lx9::conditionCode = TWCC_BADCAP;
        for (size_t size : {600, 639, 2049}) {
            std::vector<uint8_t> buffer(size);
            TW_IMAGEMEMXFER xfer;
            EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE) << size;
            EXPECT_EQ(xfer.BytesWritten, 0u);
        }
        std::vector<uint8_t> buffer(640);
        TW_IMAGEMEMXFER xfer;
        EXPECT_EQ(Strip(buffer, xfer), TWRC_SUCCESS);
        EXPECT_EQ(xfer.Rows, 2u);
        EXPECT_EQ(app.Status(), TWCC_BADCAP);
        TW_SETUPMEMXFER setup{};
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        EXPECT_EQ(setup.MinBufSize, 512u);
        EXPECT_EQ(setup.MaxBufSize, 2048u);
        EXPECT_EQ(setup.Preferred, 1024u);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(TransferTest, TooSmallBuffersAndImagesAreTold) {
    ControlFiles files("[Setup Memory Transfer]\r\nMin=100\r\nMax=2048\r\n");
    StoreImageAndNotify(MakeImage(100, 10));
    std::vector<uint8_t> small(200);
    TW_IMAGEMEMXFER xfer;
    lx9::conditionCode = TWCC_SUCCESS;
    EXPECT_EQ(Strip(small, xfer), TWRC_FAILURE);
    EXPECT_EQ(lx9::conditionCode, TWCC_SUCCESS);
    EXPECT_NE(lx9::transferImage, nullptr);

    // An image without rows: told once, the next request ends the transfer.
    lx9::StoreTransferImage(MakeImage(100, 0));
    std::vector<uint8_t> buffer(1024);
    EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE);
    EXPECT_TRUE(lx9::stripDone);
    EXPECT_EQ(Strip(buffer, xfer), TWRC_XFERDONE);
    EXPECT_EQ(lx9::transferImage, nullptr);

    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Buffer is too small for strip transfers");
    EXPECT_EQ(boxes.Boxes()[1].text, "Image is too small for strip transfers");
    for (const ShownBox& box : boxes.Boxes()) EXPECT_EQ(box.owner, nullptr);
}

TEST_F(TransferTest, StripRequestsEndAfterAThousand) {
    ControlFiles files("[Setup Memory Transfer]\r\nMin=640\r\nMax=2048\r\n");
    StoreImageAndNotify(MakeImage(1, 2000));  // 3-byte rows: 213 rows a strip, 10 strips
    std::vector<uint8_t> tooBig(4096);
    TW_IMAGEMEMXFER xfer;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(Strip(tooBig, xfer), TWRC_FAILURE) << i;
    EXPECT_EQ(Strip(tooBig, xfer), TWRC_XFERDONE);
    EXPECT_EQ(lx9::transferImage, nullptr);
}

TEST_F(TransferTest, StripsRefuseMissingAndMalformedImages) {
    ControlFiles files;
    std::vector<uint8_t> buffer(1024);
    TW_IMAGEMEMXFER xfer;
    EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE);  // nothing stored
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    // Rows that would be read beyond the block, and a depth the strips cannot carry.
    HGLOBAL image = MakeImage(10, 10);
    static_cast<BITMAPINFOHEADER*>(GlobalLock(image))->biHeight = 1000;
    GlobalUnlock(image);
    lx9::StoreTransferImage(image);
    EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    lx9::StoreTransferImage(MakeImage(64, 10, 8, 0));
    EXPECT_EQ(Strip(buffer, xfer), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    xfer.Memory.TheMem = nullptr;
    xfer.Memory.Length = 1024;
    lx9::StoreTransferImage(MakeImage(10, 10));
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 std::string("General failure in response to DAT_IMAGEINFO.  ") + kSequence,
                                 "General failure in transfer bad info header info.  Bad value error.",
                                 "General failure in transfer bad info header info.  Bad value error.",
                             }));
}

TEST_F(TransferTest, ANewImageRestartsTheStrips) {
    ControlFiles files;
    StoreImageAndNotify(MakeImage(100, 10));
    std::vector<uint8_t> buffer(1024);
    TW_IMAGEMEMXFER xfer;
    ASSERT_EQ(Strip(buffer, xfer), TWRC_SUCCESS);
    StoreImageAndNotify(MakeImage(100, 4));
    ASSERT_EQ(Strip(buffer, xfer), TWRC_SUCCESS);
    EXPECT_EQ(xfer.YOffset, 0u);
    EXPECT_EQ(xfer.Rows, 3u);
    EXPECT_EQ(buffer[0], PixelByte(0, 0, 2));
}

TEST_F(TransferTest, PendingTransfersCountAndEnd) {
    ControlFiles files("[ADF]\r\nPendingImages=3\r\n");
    TW_PENDINGXFERS pending{};
    pending.Reserved = 0x12345678;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 3);
    EXPECT_EQ(pending.Reserved, 0x12345678u);

    lx9::sourceState = 600;
    pending.Count = 9;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(lx9::sourceState, 600);
    EXPECT_EQ(ProfileText(SourceControlFile(), "ADF", "PendingImages"), "0");

    WritePrivateProfileStringA("ADF", "PendingImages", "2", SourceControlFile().c_str());
    pending.Count = 9;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(lx9::sourceState, 500);
    EXPECT_EQ(ProfileText(SourceControlFile(), "ADF", "PendingImages"), "0");
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The file transfer writes the stored image as a BMP file where the set-up named it.
class FileTransferTest : public TransferTest {
  protected:
    std::string Folder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        return temp;
    }
    TW_UINT16 SetUp(const std::string& name) {
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, name.c_str(), sizeof setup.FileName - 1);
        setup.Format = TWFF_TIFF;  // ignored
        return app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    }
    TW_UINT16 Transfer() { return app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr); }
    using TransferTest::SetUp;
};

void ExpectBitmapFile(const std::string& path, int32_t width, int32_t height) {
    auto file = ReadFileText(path);
    ASSERT_TRUE(file.has_value());
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    ASSERT_EQ(file->size(), 14 + 40 + stride * size_t(height));
    const auto* bytes = reinterpret_cast<const uint8_t*>(file->data());
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER header;
    std::memcpy(&fileHeader, bytes, sizeof fileHeader);
    std::memcpy(&header, bytes + 14, sizeof header);
    EXPECT_EQ(fileHeader.bfType, 0x4d42);
    EXPECT_EQ(fileHeader.bfSize, file->size());
    EXPECT_EQ(fileHeader.bfOffBits, 54u);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, width);
    EXPECT_EQ(header.biHeight, height);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biSizeImage, stride * size_t(height));
    for (int32_t stored = 0; stored < height; ++stored)
        for (int32_t x = 0; x < width; ++x)
            for (int channel = 0; channel < 3; ++channel)
                ASSERT_EQ(bytes[54 + size_t(stored) * stride + size_t(x) * 3 + channel],
                          PixelByte(x, height - 1 - stored, channel));
}

TEST_F(FileTransferTest, SetUpReportsTheDefaultAndCreatesTheNamedFile) {
    const std::string name = Folder() + "lx9 setup test.bmp";
    ScopedFile file(name, std::nullopt);
    ASSERT_EQ(SetUp(name), TWRC_SUCCESS);
    EXPECT_EQ(ReadFileText(name), std::optional<std::string>(""));
    EXPECT_STREQ(lx9::setupFileName, name.c_str());
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
        TW_SETUPFILEXFER setup;
        std::memset(&setup, 0x41, sizeof setup);
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPFILEXFER, msg, &setup), TWRC_SUCCESS);
        EXPECT_STREQ(setup.FileName, "c:\\twain.bmp");
        EXPECT_EQ(setup.FileName[255], 0);
        EXPECT_EQ(setup.Format, TWFF_BMP);
        EXPECT_EQ(setup.VRefNum, 0);
    }
    // An existing file is left as it is.
    ScopedFile existing(name, std::string("keep"));
    ASSERT_EQ(SetUp(name), TWRC_SUCCESS);
    EXPECT_EQ(ReadFileText(name), std::optional<std::string>("keep"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FileTransferTest, SetUpRefusesANameItCannotCreateAndCutsAnUnendedOne) {
    EXPECT_EQ(SetUp(Folder() + "no such folder\\x.bmp"), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Unable to create file <<DAT_SETUPFILEXFER>>Bad value error."});
    TW_SETUPFILEXFER setup;
    std::memset(setup.FileName, 'a', sizeof setup.FileName);
    app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    EXPECT_EQ(std::strlen(lx9::setupFileName), 255u);
}

TEST_F(FileTransferTest, TheStoredImageBecomesTheSetUpFile) {
    const std::string name = Folder() + "lx9 file transfer.bmp";
    ScopedFile file(name, std::nullopt);
    ASSERT_EQ(SetUp(name), TWRC_SUCCESS);
    StoreImageAndNotify(MakeImage(5, 3));  // 15-byte rows, 16 in the file
    ASSERT_EQ(Transfer(), TWRC_XFERDONE);
    ExpectBitmapFile(name, 5, 3);
    EXPECT_EQ(lx9::transferImage, nullptr);
    EXPECT_EQ(lx9::sourceState, 600);
    // Transferred once: a second request is refused and leaves the file as it is.
    EXPECT_EQ(Transfer(), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    ExpectBitmapFile(name, 5, 3);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 std::string("General failure in response to DAT_IMAGEINFO.  ") + kSequence});
}

TEST_F(FileTransferTest, WithoutASetUpTheDefaultFileIsWritten) {
    ScopedFile file("c:\\twain.bmp", std::nullopt);
    StoreImageAndNotify(MakeImage(4, 2));
    ASSERT_EQ(Transfer(), TWRC_XFERDONE);
    ExpectBitmapFile("c:\\twain.bmp", 4, 2);
}

TEST_F(FileTransferTest, AFileThatCannotBeWrittenKeepsTheImage) {
    const std::string name = Folder() + "lx9 gone\\x.bmp";
    std::strcpy(lx9::setupFileName, name.c_str());
    StoreImageAndNotify(MakeImage(4, 2));
    EXPECT_EQ(Transfer(), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    EXPECT_NE(lx9::transferImage, nullptr);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_SET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 "General failure in transfer file open.  An operation error just occurred.",
                                 "General failure in response to DAT_IMAGEINFO.  Bad protocol error."}));
}

}  // namespace
