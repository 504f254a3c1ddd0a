#include "scan_job.h"

#include <system_error>

namespace lx9::sane {

Status ScanJob::Start(Session* session, const ScanOrder& order, const std::atomic<bool>* cancel) {
    Finish();
    picture_ = Picture{};
    status_ = Status::kInvalid;
    try {
        thread_ = std::thread([this, session, order, cancel] {
            status_ = order.indexSheet
                          ? session->ScanIndexSheet(order.request.film, order.request.turn, &picture_, cancel)
                          : session->Scan(order.request, &picture_, cancel);
        });
    } catch (const std::system_error&) {
        return Status::kNoMem;
    }
    return Status::kGood;
}

Status ScanJob::Finish() {
    if (thread_.joinable()) thread_.join();
    return status_;
}

}  // namespace lx9::sane
