#pragma once
// The three failures of the compression subsystem. Each carries the English text the user
// sees; the component and the engines raise nothing else of their own.

#include <stdexcept>
#include <string>

namespace bv3::compress {

// Raised by the compressor component for every failure of an operation (files, streams,
// buffers, headers, size checks, damaged LZRW1/KH blocks).
class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by the LZRW1/KH engine when its hash table cannot be had.
class ELzrw1KHCompressor : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by the LZH engine when its dictionary tables cannot be had or released.
class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace bv3::compress
