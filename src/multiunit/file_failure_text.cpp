#include "file_failure_text.h"

#include "multi_unit_texts.h"

namespace {

std::string Reason(const FileError& error) {
    switch (error.failure) {
    case FileFailure::FolderMissing: return MultiUnitText::kFolderMissing;
    case FileFailure::DiskFull: return MultiUnitText::kDiskFull;
    case FileFailure::InUse: return MultiUnitText::kFileInUse;
    case FileFailure::AccessDenied: return MultiUnitText::kAccessDenied;
    default: return MultiUnitText::kSystemError + std::to_string(error.systemCode);
    }
}

}  // namespace

std::string FileFailureText(const char* what, const FileError& error, const std::string& path) {
    return what + std::string("\n") + Reason(error) + "\n" + path;
}
