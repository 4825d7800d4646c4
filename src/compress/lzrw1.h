#pragma once
// Tlzrw1: the compressor component. It turns one input (a file, or a caller's seekable stream)
// into a compressed container and back, with the LZH engine (Good), the LZRW1/KH engine (Fast)
// or whichever of the two Advise recommends for the input (Auto).
//
// Container: the 4-byte magic "!HZL" (LZH) or "WRZL" (LZRW1/KH), the uncompressed size as a
// signed 32-bit little-endian count, then the body. LZRW1/KH body: blocks, each a 2-byte
// little-endian length followed by that many bytes of block data, one block per 32768-byte
// piece of the input, ending with the first shorter piece (possibly empty). LZH body: the
// engine's code stream to the end of the container.
//
// The component shows what it is doing in its status text. Showing the text, repainting at
// once and letting the user interface process waiting messages are hooks, so the component
// itself knows nothing of any toolkit.

#include "compress/compress_error.h"
#include "compress/lzh.h"
#include "compress/lzrw1kh.h"
#include "compress/stream.h"

#include <cstdint>
#include <functional>
#include <string>

namespace bv3::compress {

enum class TCompressMode : std::uint8_t {
    Good = 0,  // LZH
    Fast = 1,  // LZRW1/KH
    Auto = 2,  // whichever Advise returns at the start of each Compress
};

// Where an operation stands: the engine at work and the bytes it has taken in and given out.
// A view that draws its own progress takes this instead of reading the status text back.
struct TCompressProgress {
    enum class Engine : std::uint8_t { Lzrw1kh, Lzh };
    Engine engine = Engine::Lzh;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
};

// The status text of one progress step: "(LZH) Bytes in : N Bytes out : M".
std::string ProgressText(const TCompressProgress& progress);

inline constexpr std::uint32_t lzrw1khMagic = 0x4C5A5257;  // "WRZL"
inline constexpr std::uint32_t lzhMagic = 0x4C5A4821;      // "!HZL"
inline constexpr std::size_t containerHeaderSize = 8;

class Tlzrw1 {
public:
    // Creates both engines; the LZRW1/KH engine's hash table may fail (ELzrw1KHCompressor).
    Tlzrw1();
    ~Tlzrw1();
    Tlzrw1(const Tlzrw1&) = delete;
    Tlzrw1& operator=(const Tlzrw1&) = delete;

    // Properties. Each reads and writes its field directly, without checks.
    bool UseStream() const { return useStream_; }
    void SetUseStream(bool value) { useStream_ = value; }
    const std::string& InputFile() const { return inputFile_; }
    void SetInputFile(std::string value) { inputFile_ = std::move(value); }
    const std::string& OutputFile() const { return outputFile_; }
    void SetOutputFile(std::string value) { outputFile_ = std::move(value); }
    TCompressMode CompressMode() const { return compressMode_; }
    void SetCompressMode(TCompressMode value) { compressMode_ = value; }
    std::int32_t Threshold() const { return threshold_; }
    void SetThreshold(std::int32_t value) { threshold_ = value; }
    // Caller-owned streams of stream mode; the component never creates or frees them.
    TStream* InputStream() const { return inputStream_; }
    void SetInputStream(TStream* value) { inputStream_ = value; }
    TStream* OutputStream() const { return outputStream_; }
    void SetOutputStream(TStream* value) { outputStream_ = value; }

    // Progress and result texts appear only while the component is visible; the converter's
    // instance, which lives on a form that is never shown, is not.
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    const std::string& StatusText() const { return statusText_; }

    // After being read from a form: the design-time caption, or an empty text at run time.
    void Loaded(bool designing = false);

    // Writes the container of the input; returns the bytes written, header included.
    std::int32_t Compress();
    // Restores whichever kind of container the input holds; returns the bytes restored.
    std::int32_t Decompress();
    // Samples the input and recommends Fast or Good (never Auto). An input below 98304 bytes
    // is always Good, and then CompressMode itself becomes Good.
    TCompressMode Advise();

    // Called with every new status text.
    std::function<void(const std::string& text)> OnStatusText;
    // Called with every progress step (while visible), right after its status text.
    std::function<void(const TCompressProgress& progress)> OnProgress;
    // Called when the status text must be redrawn at once, before the operation goes on.
    std::function<void()> OnRepaint;
    // Called to let the user interface process its waiting messages, without blocking.
    std::function<void()> OnProcessMessages;

private:
    struct Session;

    void SetStatusText(std::string text);
    void Repaint();
    void ProcessMessages();
    void Progress(TCompressProgress::Engine engine, const Session& session);

    // What a run reports when it succeeds, for a stream and for a file (after its name).
    struct SessionDoneTexts {
        const char* stream;
        const char* file;
    };
    // One run of either direction: the session's buffers, prepare (which may refuse before
    // anything is opened), the input and output opened, work, both closed; a failure once the
    // output exists abandons it. Returns the bytes written.
    std::int32_t RunSession(const std::function<void(Session&)>& prepare, const std::function<void(Session&)>& work,
                            SessionDoneTexts done);
    void OpenSession(Session& session);
    void FinishSession(Session& session);
    void AbandonSession(Session& session) noexcept;
    void CheckWritten(std::int64_t actual, std::int64_t expected);
    void CheckRead(std::int64_t actual, std::int64_t expected);
    std::int64_t InputSize();

    void CompressFast(Session& session);
    void CompressGood(Session& session);
    void DecompressFast(Session& session);
    void DecompressGood(Session& session);
    std::uint16_t ReadInput(Session& session, std::span<std::uint8_t> buffer);
    std::uint16_t WriteOutput(Session& session, std::span<const std::uint8_t> buffer);
    void FlushOutput(Session& session);

    TLZH lzh_;
    TLZR lzr_;
    std::string inputFile_;
    std::string outputFile_;
    TCompressMode compressMode_ = TCompressMode::Good;
    bool useStream_ = false;
    TStream* inputStream_ = nullptr;
    TStream* outputStream_ = nullptr;
    std::int32_t threshold_ = 40;
    bool visible_ = true;
    std::string statusText_;
};

}  // namespace bv3::compress
