#pragma once
// TfrmQnfToQdf: the worker object of the four conversion exports. It is never shown; for the
// length of one call it holds the call's arguments and owns the compressor component.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

namespace bv3::compress {
class Tlzrw1;
}

namespace bv3::interface {

class TfrmQnfToQdf {
public:
    TfrmQnfToQdf();
    ~TfrmQnfToQdf();
    TfrmQnfToQdf(const TfrmQnfToQdf&) = delete;
    TfrmQnfToQdf& operator=(const TfrmQnfToQdf&) = delete;

    // RawToQnf: reads the uploaded raw image and writes the channel list.
    void RunRawToQnf(const std::string& rawPath, const std::string& qnfPath, std::uint8_t configVariant,
                     std::uint8_t modelCode);

    // QnfToQDF: set-up stores the arguments, the build runs the whole driver.
    void SetupQdfBuild(const std::string& qnfPath, const std::string& qdfPath, std::uint8_t configVariant,
                       std::uint8_t modelCode, std::uint32_t headerId);
    void RunQdfBuild();

    // QnfToV3Qnf / V3QnfToQnf through LZHCompress with every property at its default.
    void Compress(const std::string& inPath, const std::string& outPath);
    void Decompress(const std::string& inPath, const std::string& outPath);

    std::string qnfPath;
    std::string qdfPath;
    std::uint8_t configVariant = 0;
    std::uint8_t modelCode = 0;
    std::uint32_t headerId = 0;

private:
    // QnfToQDF's channel list: opened by set-up, read by the build, closed here only.
    void CloseChannelList() { qnfFile_.close(); }

    std::ifstream qnfFile_;
    std::unique_ptr<compress::Tlzrw1> LZHCompress;
};

}  // namespace bv3::interface
