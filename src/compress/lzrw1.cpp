// The component's frame: construction, status text, opening and closing, the checks after
// every transfer, and Compress / Decompress with their clean-up rules.
#include "compress/lzrw1.h"

#include "compress/lzrw1_session.h"

#include <array>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

namespace bv3::compress {

namespace {

constexpr const char* buffersMessage = "Lzrw1 (de)compression : Failed to get memory for I/O buffers !";

std::array<std::uint8_t, 4> littleEndian32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::uint32_t fromLittleEndian32(const std::array<std::uint8_t, 4>& bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The ratio of the final status text. Nothing read means no ratio to tell: it shows as 0.
std::string percent(std::int64_t part, std::int64_t whole) {
    return std::to_string(whole == 0 ? 0 : part * 100 / whole);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

Tlzrw1::Tlzrw1() = default;
Tlzrw1::~Tlzrw1() = default;

void Tlzrw1::Loaded(bool designing) {
    SetStatusText(designing ? "LZRW1/KH Compressor / Decompressor" : "");
}

void Tlzrw1::SetStatusText(std::string text) {
    statusText_ = std::move(text);
    if (OnStatusText) {
        OnStatusText(statusText_);
    }
}

void Tlzrw1::Repaint() {
    if (OnRepaint) {
        OnRepaint();
    }
}

void Tlzrw1::ProcessMessages() {
    if (OnProcessMessages) {
        OnProcessMessages();
    }
}

std::string ProgressText(const TCompressProgress& progress) {
    const char* engine = progress.engine == TCompressProgress::Engine::Lzrw1kh ? "(LZRW1/KH) " : "(LZH) ";
    return std::string(engine) + "Bytes in : " + std::to_string(progress.bytesIn) +
           " Bytes out : " + std::to_string(progress.bytesOut);
}

void Tlzrw1::Progress(TCompressProgress::Engine engine, const Session& session) {
    if (!visible_) {
        return;
    }
    const TCompressProgress progress{engine, session.bytesIn, session.bytesOut};
    SetStatusText(ProgressText(progress));
    if (OnProgress) {
        OnProgress(progress);
    }
    Repaint();
}

void Tlzrw1::CheckWritten(std::int64_t actual, std::int64_t expected) {
    if (actual != expected) {
        throw ELzrw1Exception(useStream_ ? std::string("Lzrw1 : Error writing to output stream !")
                                         : "Lzrw1 : Error writing to output file : " + outputFile_);
    }
    ProcessMessages();
}

void Tlzrw1::CheckRead(std::int64_t actual, std::int64_t expected) {
    if (actual != expected) {
        throw ELzrw1Exception(useStream_ ? std::string("Lzrw1 : Error reading from input stream !")
                                         : "Lzrw1 : Error reading from input file : " + inputFile_);
    }
    ProcessMessages();
}

// The size a container records: the whole input file, or what a stream holds from its
// position on (the part that is actually compressed).
std::int64_t Tlzrw1::InputSize() {
    constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
    if (useStream_) {
        const std::int64_t size = inputStream_ != nullptr ? inputStream_->Size() : -1;
        const std::int64_t position = inputStream_ != nullptr ? inputStream_->Position() : -1;
        if (size < 0 || position < 0 || size - position > largest) {
            throw ELzrw1Exception("Lzrw1 compression : Failed to obtain the size of the input stream !");
        }
        return size > position ? size - position : 0;
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(inputFile_, error);
    if (error) {
        throw ELzrw1Exception("Lzrw1 compression : Failed to obtain the size of : " + inputFile_, error.message());
    }
    if (size > static_cast<std::uintmax_t>(largest)) {
        // The size is known; it is the container that cannot record it.
        throw ELzrw1Exception("Lzrw1 compression : " + inputFile_ + " is larger than " + std::to_string(largest) +
                              " bytes, the most a container can record !");
    }
    return static_cast<std::int64_t>(size);
}

// Opens the input, then creates the output last, so that a failure here leaves no output.
void Tlzrw1::OpenSession(Session& session) {
    if (useStream_) {
        if (inputStream_ == nullptr || inputStream_->Seek(0, TSeekOrigin::soCurrent) < 0) {
            throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize input stream !");
        }
        if (outputStream_ == nullptr || outputStream_->Seek(0, TSeekOrigin::soCurrent) < 0) {
            throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize output stream !");
        }
        session.in = inputStream_;
        session.out = outputStream_;
        return;
    }
    session.inputFile = std::make_unique<TFileStream>(inputFile_, TFileStream::Mode::Read);
    if (!session.inputFile->IsOpen()) {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " + inputFile_,
                              session.inputFile->OpenFailure());
    }
    // Replacing the input by the output would lose it: refuse instead.
    if (sameFile(inputFile_, outputFile_)) {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open output file : " + outputFile_ +
                              " (it is the input file)");
    }
    auto output = std::make_unique<TFileStream>(outputFile_, TFileStream::Mode::Create);
    if (!output->IsOpen()) {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open output file : " + outputFile_,
                              output->OpenFailure());
    }
    session.outputFile = std::move(output);
    session.in = session.inputFile.get();
    session.out = session.outputFile.get();
}

// Closes both files. The output's last buffered bytes reach the disk only here, so a failed
// close is a failed write.
void Tlzrw1::FinishSession(Session& session) {
    if (useStream_) {
        return;
    }
    if (session.inputFile) {
        session.inputFile->Close();
    }
    if (session.outputFile && !session.outputFile->Close()) {
        CheckWritten(-1, 0);
    }
}

// After a failure once the output exists: delete it, close the input. The output is still
// the temporary beside the target, so deleting it leaves whatever file had the target's name
// as it was. A stream is left as it is, and so is an output that names a device (it was
// written in place: not a partial file of ours).
void Tlzrw1::AbandonSession(Session& session) noexcept {
    if (useStream_) {
        return;
    }
    session.outputFile.reset();
    if (session.inputFile) {
        session.inputFile->Close();
    }
}

std::int32_t Tlzrw1::RunSession(const std::function<void(Session&)>& prepare, const std::function<void(Session&)>& work,
                                SessionDoneTexts done) {
    std::unique_ptr<Session> allocated;
    try {
        allocated = std::make_unique<Session>();
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(buffersMessage);
    }
    Session& session = *allocated;
    prepare(session);
    OpenSession(session);
    try {
        work(session);
        FinishSession(session);
    } catch (...) {
        AbandonSession(session);
        throw;
    }
    if (visible_) {
        const std::string ratio = percent(session.bytesOut, session.bytesIn);
        SetStatusText(useStream_ ? done.stream + ratio + "%" : inputFile_ + done.file + ratio + "%");
        Repaint();
    }
    return static_cast<std::int32_t>(session.bytesOut);
}

std::int32_t Tlzrw1::Compress() {
    const TCompressMode mode = compressMode_ == TCompressMode::Auto ? Advise() : compressMode_;
    const auto prepare = [this](Session& session) { session.uncompressedSize = InputSize(); };
    const auto work = [this, mode](Session& session) {
        const std::uint32_t magic = mode == TCompressMode::Fast ? lzrw1khMagic : lzhMagic;
        const auto magicBytes = littleEndian32(magic);
        CheckWritten(session.out->Write(magicBytes), 4);
        session.bytesOut = 4;
        session.bytesIn = 0;
        const auto sizeBytes = littleEndian32(static_cast<std::uint32_t>(session.uncompressedSize));
        CheckWritten(session.out->Write(sizeBytes), 4);
        session.bytesOut = 8;
        if (mode == TCompressMode::Fast) {
            CompressFast(session);
        } else {
            CompressGood(session);
        }
    };
    return RunSession(prepare, work,
                      {.stream = "Lzrw1 : inputstream successfully compressed at ",
                       .file = " : Lzrw1 : successfully compressed at "});
}

std::int32_t Tlzrw1::Decompress() {
    const auto work = [this](Session& session) {
        std::array<std::uint8_t, 4> header{};
        CheckRead(session.in->Read(header), 4);
        const std::uint32_t magic = fromLittleEndian32(header);
        if (magic != lzrw1khMagic && magic != lzhMagic) {
            throw ELzrw1Exception(useStream_
                                      ? std::string("Lzrw1 decompression : input stream contains no valid header !")
                                      : inputFile_ + " : Lzrw1 decompression : this file has no valid header !");
        }
        session.bytesIn = 4;
        session.bytesOut = 0;
        std::array<std::uint8_t, 4> size{};
        CheckRead(session.in->Read(size), 4);
        session.bytesIn += 4;
        session.uncompressedSize = static_cast<std::int32_t>(fromLittleEndian32(size));
        if (magic == lzrw1khMagic) {
            DecompressFast(session);
        } else {
            DecompressGood(session);
        }
    };
    // The stream's text has always spelt the engine "LZrw1" in this direction.
    return RunSession([](Session&) {}, work,
                      {.stream = "LZrw1 : inputstream successfully decompressed at ",
                       .file = " : Lzrw1 : successfully decompressed at "});
}

}  // namespace bv3::compress
