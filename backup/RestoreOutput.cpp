#include "backup/RestoreOutput.h"

#include "backup/PrintableText.h"

namespace nestora::backup {

void RestoreOutput::progress(std::size_t done) {
    if (!shown_) return;
    std::fprintf(out_, "\rRestoring category %zu of %zu", done, total_);
    std::fflush(out_);
    lineOpen_ = true;
}

void RestoreOutput::message(std::string_view directoryName, std::string_view text) {
    endProgressLine();
    std::fprintf(out_, "nestora-backup: %s: %.*s\n", printable(directoryName).c_str(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(out_);
}

void RestoreOutput::endProgressLine() {
    if (lineOpen_) std::fputc('\n', out_);
    lineOpen_ = false;
}

}  // namespace nestora::backup
