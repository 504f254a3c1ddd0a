#include "image_transfer.h"

#include "dib_decode.h"
#include "strip_assembly.h"
#include "twain_names.h"

#include <algorithm>
#include <vector>

namespace lx9::acquire {
namespace {

// More requests than rows (plus the closing one) means the source is not making progress.
constexpr uint64_t kExtraStripRequests = 16;

std::string Refusal(TwainSession& session, const char* operation, TW_UINT16 rc) {
    return std::string(operation) + " failed (" + ReturnCodeName(rc) + ", " +
           ConditionText(session.SourceCondition()) + ")";
}

// A buffer the source accepts: its preferred size, at least one row, at most its maximum.
bool ChooseBufferSize(const TW_SETUPMEMXFER& setup, uint32_t rowBytes, uint32_t& size, std::string& error) {
    uint64_t wanted = setup.Preferred != 0 ? setup.Preferred : setup.MaxBufSize;
    wanted = std::max<uint64_t>({wanted, setup.MinBufSize, rowBytes});
    if (setup.MaxBufSize != 0 && setup.MaxBufSize != TWON_DONTCARE32)
        wanted = std::min<uint64_t>(wanted, setup.MaxBufSize);
    if (wanted < rowBytes) {
        error = "the source's largest memory buffer (" + std::to_string(setup.MaxBufSize) +
                " bytes) cannot hold one row of " + std::to_string(rowBytes) + " bytes";
        return false;
    }
    if (wanted > 64u * 1024 * 1024) wanted = std::max<uint64_t>(rowBytes, 64u * 1024 * 1024);
    size = static_cast<uint32_t>(wanted);
    return true;
}

}  // namespace

bool AskImageInfo(TwainSession& session, TW_IMAGEINFO& info, std::string& error) {
    info = TW_IMAGEINFO{};
    const TW_UINT16 rc = session.ToSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    if (rc != TWRC_SUCCESS) {
        error = Refusal(session, "DAT_IMAGEINFO", rc);
        return false;
    }
    return true;
}

TransferResult NativeTransfer(TwainSession& session, RgbImage& image, std::string& error) {
    // Pointer-sized and zeroed: a source that writes only 32 bits still leaves a valid handle.
    TW_HANDLE handle = nullptr;
    const TW_UINT16 rc = session.ToSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    if (rc == TWRC_CANCEL) return TransferResult::Cancelled;
    if (rc != TWRC_XFERDONE) {
        error = Refusal(session, "DAT_IMAGENATIVEXFER", rc);
        return TransferResult::Failed;
    }
    if (!handle) {
        error = "DAT_IMAGENATIVEXFER returned no image handle";
        return TransferResult::Failed;
    }
    const std::size_t size = GlobalSize(handle);
    const auto* block = static_cast<const uint8_t*>(GlobalLock(handle));
    const bool decoded = block && DecodeDib(block, size, image, error);
    if (!block) error = "the image handle of DAT_IMAGENATIVEXFER cannot be locked";
    if (block) GlobalUnlock(handle);
    GlobalFree(handle);
    return decoded ? TransferResult::Done : TransferResult::Failed;
}

TransferResult MemoryTransfer(TwainSession& session, const TW_IMAGEINFO& info, RgbImage& image,
                              std::string& error) {
    StripAssembly assembly;
    if (!assembly.Start(info, error)) return TransferResult::Failed;
    TW_SETUPMEMXFER setup{};
    TW_UINT16 rc = session.ToSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    if (rc != TWRC_SUCCESS) {
        error = Refusal(session, "DAT_SETUPMEMXFER", rc);
        return TransferResult::Failed;
    }
    uint32_t bufferSize = 0;
    if (!ChooseBufferSize(setup, assembly.Image().width * 3, bufferSize, error))
        return TransferResult::Failed;
    std::vector<uint8_t> buffer(bufferSize);

    const uint64_t maxRequests = uint64_t{assembly.Image().height} + kExtraStripRequests;
    for (uint64_t request = 0; request < maxRequests; ++request) {
        TW_IMAGEMEMXFER strip{};
        strip.Compression = TWON_DONTCARE16;
        strip.BytesPerRow = strip.Columns = strip.Rows = TWON_DONTCARE32;
        strip.XOffset = strip.YOffset = strip.BytesWritten = TWON_DONTCARE32;
        strip.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, bufferSize, buffer.data()};
        rc = session.ToSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (rc == TWRC_CANCEL) return TransferResult::Cancelled;
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) {
            error = Refusal(session, "DAT_IMAGEMEMXFER", rc);
            return TransferResult::Failed;
        }
        // The last strip may come with TWRC_XFERDONE itself, or after it with nothing in it.
        const bool carriesRows =
            rc == TWRC_SUCCESS || (strip.BytesWritten != 0 && strip.BytesWritten != TWON_DONTCARE32);
        if (carriesRows && !assembly.Add(strip, buffer.data(), buffer.size(), error))
            return TransferResult::Failed;
        if (rc == TWRC_XFERDONE) {
            if (!assembly.Complete()) {
                error = "the memory transfer ended after " + std::to_string(assembly.RowsReceived()) +
                        " of " + std::to_string(assembly.Image().height) + " rows";
                return TransferResult::Failed;
            }
            image = std::move(assembly.Image());
            return TransferResult::Done;
        }
    }
    error = "the memory transfer did not end after " + std::to_string(maxRequests) + " strips";
    return TransferResult::Failed;
}

}  // namespace lx9::acquire
