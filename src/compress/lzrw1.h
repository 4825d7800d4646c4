#pragma once
// Placeholder for the compressor component; replaced when the engines land.
namespace bv3::compress {
class Tlzrw1 {};
}  // namespace bv3::compress
