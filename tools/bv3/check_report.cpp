#include "bv3/check_report.h"

#include "bv3/command_registry.h"
#include "channeldb/conversion_error.h"
#include "channeldb/file_input.h"
#include "channeldb/image_check.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_check.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/uploaded_image.h"

#include <limits>
#include <memory>
#include <span>
#include <sstream>

namespace bv3::cli {

namespace {

std::string plural(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::size_t countOf(const channeldb::CheckReport& report, channeldb::Severity severity) {
    std::size_t count = 0;
    for (const auto& finding : report.findings) {
        count += finding.severity == severity ? 1 : 0;
    }
    return count;
}

// The finding with the file name in front and where it is behind: "FILE: reason (line 4)".
std::string describe(const std::string& fileName, const channeldb::Finding& finding) {
    const std::string where = finding.where.empty() ? std::string() : " (" + finding.where + ")";
    return fileName + ": " + finding.message + where;
}

}  // namespace

void printCheckReport(std::ostream& out, const std::string& fileName, const std::string& title,
                      const channeldb::CheckReport& report, std::size_t maxFindings) {
    const auto& c = report.counts;
    out << fileName << ": " << title << '\n';
    out << "  services " << c.videoServices + c.audioServices << " (" << c.videoServices << " video, "
        << c.audioServices << " audio), TS " << c.transportStreams << ", networks " << c.networks << ", providers "
        << c.providers << ", favourites " << c.favourites << '\n';
    for (std::size_t i = 0; i < report.findings.size() && i < maxFindings; ++i) {
        out << "  " << channeldb::formatFinding(report.findings[i]) << '\n';
    }
    if (report.findings.size() > maxFindings) {
        out << "  ... and " << report.findings.size() - maxFindings << " more (--all lists every one)\n";
    }
    if (report.passed()) {
        out << fileName << ": all checks hold\n";
    } else {
        out << fileName << ": " << plural(countOf(report, channeldb::Severity::Error), "error", "errors") << ", "
            << plural(countOf(report, channeldb::Severity::Warning), "warning", "warnings") << '\n';
    }
}

bool warnIfImageDamaged(const std::string& rawPath, std::uint8_t configVariant, std::uint8_t modelCode,
                        std::ostream& out) {
    std::string bytes;
    try {
        bytes = channeldb::readFileBytes(rawPath, channeldb::uploadedImageSize);
    } catch (const channeldb::ConversionError&) {
        return false;
    }
    const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const auto report = channeldb::checkUploadedImage(file, configVariant, modelCode);
    if (report.passed()) {
        return false;
    }
    out << "bv3: warning: " << rawPath << " fails "
        << plural(report.findings.size(), "integrity check", "integrity checks") << ", first "
        << channeldb::formatFinding(report.findings.front()) << "; 'bv3 check " << rawPath << " --variant "
        << unsigned{configVariant} << " --model " << unsigned{modelCode} << "' lists them\n";
    return true;
}

void refuseUnrepresentableList(const std::string& qnfPath, std::uint8_t modelCode, std::ostream& warnings) {
    // A file that cannot be read or that the reader refuses, and a model the system does not
    // know, are the command's own to report in its own words; this only adds the refusals of
    // a list that reads but cannot be built.
    if (!channeldb::isKnownModel(modelCode)) {
        return;
    }
    channeldb::CheckReport report;
    try {
        const std::string text = channeldb::readQnfText(qnfPath);
        const auto db = std::make_unique<channeldb::ChannelDatabase>();
        std::istringstream in(text);
        channeldb::readQnf(in, *db, qnfPath);
        const channeldb::QnfLineMap lines = channeldb::mapQnfLines(text);
        report.findings = channeldb::checkChannelList(*db, modelCode, &lines);
    } catch (const channeldb::ConversionError&) {
        return;
    }
    if (const channeldb::Finding* error = report.firstError()) {
        const std::size_t errors = countOf(report, channeldb::Severity::Error);
        std::string message = describe(qnfPath, *error);
        if (errors > 1) {
            message += "; " + plural(errors - 1, "more error", "more errors") + ", 'bv3 check " + qnfPath +
                       " --model " + std::to_string(modelCode) + "' lists them";
        }
        throw CommandFailure(message);
    }
    if (!report.passed()) {
        warnings << "bv3: warning: " << describe(qnfPath, report.findings.front());
        if (report.findings.size() > 1) {
            warnings << "; " << plural(report.findings.size() - 1, "more warning", "more warnings") << ", 'bv3 check "
                     << qnfPath << " --model " << unsigned{modelCode} << "' lists them";
        }
        warnings << '\n';
    }
}

}  // namespace bv3::cli
