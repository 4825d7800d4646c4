#pragma once
// How a long command reports its progress on stderr.

namespace bv3::cli {

enum class ProgressMode {
    Auto,    // running updates only when stderr is a terminal; a log gets the closing line alone
    Always,  // --progress: running updates wherever stderr goes
    Quiet,   // --quiet: nothing but errors
};

}  // namespace bv3::cli
