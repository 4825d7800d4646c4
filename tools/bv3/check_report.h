#pragma once
// Printing integrity check findings for people, and the two hooks other commands use: a
// warning when an uploaded image fails its checks, and the refusal of a channel list that the
// receiver images cannot represent.

#include "channeldb/check_findings.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>

namespace bv3::cli {

// The report of `bv3 check`: a title line, the counts, each finding with where it is (at most
// maxFindings of them, then how many more), and a closing verdict.
void printCheckReport(std::ostream& out, const std::string& fileName, const std::string& title,
                      const channeldb::CheckReport& report, std::size_t maxFindings);

// Checks the uploaded image at rawPath and, when it fails, prints one warning line naming the
// first failed check. Returns true when the image fails. An unreadable file prints nothing
// and returns false: the conversion reports it.
bool warnIfImageDamaged(const std::string& rawPath, std::uint8_t configVariant, std::uint8_t modelCode,
                        std::ostream& out = std::cerr);

// Checks the channel list at qnfPath for modelCode. Throws CommandFailure ("FILE: reason
// (line N)") when it holds an error: something the receiver images cannot represent. Prints
// one warning line when it holds only warnings. A file that cannot be read or that the QNF
// reader refuses, and a modelCode above 5, pass untouched: the command reports those itself.
void refuseUnrepresentableList(const std::string& qnfPath, std::uint8_t modelCode, std::ostream& warnings = std::cerr);

}  // namespace bv3::cli
