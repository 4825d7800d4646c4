#pragma once
// The fixed names of the download build. Each is spelled once, here, so the file that is
// created, the name the loader configuration gives it and the file that is deleted can never
// drift apart.

namespace bv3::qdfbuild {

inline constexpr char configImageName[] = "Config.raw";
inline constexpr char serviceImageName[] = "Service.raw";
inline constexpr char loaderConfigName[] = "qorda.cfg";
// The receiver maker's encoder; the platform loader maps the name to its own spelling.
inline constexpr char encoderLibraryName[] = "tqrdll12.dll";
inline constexpr char encoderEntryName[] = "EncodeQDF";

}  // namespace bv3::qdfbuild
