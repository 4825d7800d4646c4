#pragma once
// The loader configuration the build driver hands the encoder ("qorda.cfg"): a [header block
// with the identifier range and loader version, then one [Data block per image to place.
//
//   [header
//   	ID		=	$12345000
//   	E_ID	=	$12345FFF
//   	ver		=	3
//   ]
//   [Data
//   	FILE	=	"Config.raw"
//   	TYPE	=	flash
//   	COMPRESSION	=	yes
//   	ADDRESS	=   $2000
//   ]
//
// Each block opens with "[" and its name (a closing bracket is allowed) and ends with a line
// holding only "]". Keys and names are case-insensitive; tabs and spaces around "=" and at
// either end of a line are ignored, as are blank lines. Numbers are decimal or "$" hex.

#include "qdf_format.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::qdf {

// The configuration cannot be used: the message names the file, the line and the reason.
class LoaderConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoaderDataEntry {
    std::string file;  // as written, without the quotes; relative names are relative to the cwd
    BlockType type = BlockType::flash;
    bool compression = false;
    std::uint32_t address = 0;
    int line = 0;  // of the [Data line, for messages
};

struct LoaderConfig {
    ImageHeader header;
    std::vector<LoaderDataEntry> data;
};

// Parses the whole text. Requires exactly one [header with ID, E_ID and ver (ID not above
// E_ID) and at least one [Data with FILE and ADDRESS; TYPE defaults to flash and COMPRESSION
// to no. Unknown blocks or keys, a key given twice, text outside a block, a block left open
// and a number above 32 bits are refused. fileName is used in messages only.
LoaderConfig parseLoaderConfig(std::string_view text, const std::string& fileName);

}  // namespace bv3::qdf
