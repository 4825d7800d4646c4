// Advise: guesses from two samples whether the fast engine is worth it for the input.
#include "compress/lzrw1.h"

#include "compress/lzrw1_session.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace bv3::compress {

namespace {

constexpr std::int64_t smallInput = 3 * static_cast<std::int64_t>(pieceSize);  // 98304

// S * k / 3 rounded down to a multiple of 32768: where a sample starts.
std::int64_t sampleOffset(std::int64_t size, int third) {
    return (third * size / 3) & 0x7FFF8000;
}

// Puts a stream back where the caller had it, also when a sample read fails.
struct PositionRestorer {
    TStream* stream;
    std::int64_t position;
    ~PositionRestorer() {
        if (stream != nullptr) {
            stream->Seek(position, TSeekOrigin::soBeginning);
        }
    }
};

}  // namespace

TCompressMode Tlzrw1::Advise() {
    std::int64_t remembered = 0;
    if (useStream_) {
        SetStatusText("Guessing the best compression mode for the inputstream");
        remembered = inputStream_ != nullptr ? inputStream_->Position() : 0;
    } else {
        SetStatusText("Guessing the best compression mode for : " + inputFile_);
    }
    std::unique_ptr<Session> allocated;
    try {
        allocated = std::make_unique<Session>();
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception("Lzrw1 advise : Error getting I/O buffers");
    }
    Session& session = *allocated;

    std::int64_t size = -1;
    if (useStream_) {
        size = inputStream_ != nullptr ? inputStream_->Size() : -1;
        if (size < 0) {
            throw ELzrw1Exception("Lzrw1 advise : can not get size of inputstream !");
        }
    } else {
        std::error_code error;
        const auto fileSize = std::filesystem::file_size(inputFile_, error);
        if (error) {
            throw ELzrw1Exception("Lzrw1 advise : can not get the size of : " + inputFile_);
        }
        size = static_cast<std::int64_t>(fileSize);
    }

    PositionRestorer restorer{nullptr, remembered};
    if (useStream_) {
        if (inputStream_->Seek(0, TSeekOrigin::soBeginning) < 0) {
            throw ELzrw1Exception("Lzrw1 edvise : can not initialize the input stream!");
        }
        restorer.stream = inputStream_;
        session.in = inputStream_;
    } else {
        session.inputFile = std::make_unique<TFileStream>(inputFile_, TFileStream::Mode::Read);
        if (!session.inputFile->IsOpen()) {
            throw ELzrw1Exception("Lzrw1 advise : can open input file : " + inputFile_);
        }
        session.in = session.inputFile.get();
    }

    if (size < smallInput) {
        compressMode_ = TCompressMode::Good;
        SetStatusText("Lzrw1 recommends GOOD compression :  small file !!");
        return TCompressMode::Good;
    }

    const std::span<std::uint8_t> input(session.inputBuffer);
    auto sample = [&](int third, std::int64_t& read) {
        session.in->Seek(sampleOffset(size, third), TSeekOrigin::soBeginning);  // not checked
        read = session.in->Read(input.first(pieceSize));
        if (read < 0) {
            throw ELzrw1Exception(useStream_ ? std::string("Lzrw1 advise : input stream read error !")
                                             : "Lzrw1 advise : read error on input file : " + inputFile_);
        }
        ProcessMessages();
        return static_cast<std::int64_t>(
            lzr_.CompressBlock(input.first(static_cast<std::size_t>(read)), session.outputBuffer));
    };
    std::int64_t r1 = 0;
    std::int64_t r2 = 0;
    const std::int64_t c1 = sample(1, r1);
    const std::int64_t c2 = sample(2, r2);
    const std::int64_t taken = r1 + r2;
    const std::string ratio = std::to_string(taken == 0 ? 0 : (c1 + c2) * 100 / taken);
    if (c1 + c2 < static_cast<std::int64_t>(threshold_) * taken / 100) {
        SetStatusText("Lzrw1 recommends FAST compression : " + ratio + "%.");
        return TCompressMode::Fast;
    }
    SetStatusText("Lzrw1 recommends GOOD compression : " + ratio + "%.");
    return TCompressMode::Good;
}

}  // namespace bv3::compress
