#include "channeldb/check_findings.h"

#include <algorithm>

namespace bv3::channeldb {

bool CheckReport::hasErrors() const {
    return firstError() != nullptr;
}

const Finding* CheckReport::firstError() const {
    const auto found =
        std::find_if(findings.begin(), findings.end(), [](const Finding& f) { return f.severity == Severity::Error; });
    return found == findings.end() ? nullptr : &*found;
}

std::string formatFinding(const Finding& finding) {
    std::string text = finding.where.empty() ? std::string() : finding.where + ": ";
    text += finding.severity == Severity::Error ? "error: " : "warning: ";
    return text + finding.message;
}

}  // namespace bv3::channeldb
