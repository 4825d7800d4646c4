#include "compress/stream.h"

#include "safe_write/safe_write.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <utility>

namespace bv3::compress {

namespace {
// The base an offset is taken from; -1 when the origin needs a size that cannot be told.
std::int64_t seekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t position, std::int64_t size) {
    switch (origin) {
        case TSeekOrigin::soBeginning:
            return offset;
        case TSeekOrigin::soCurrent:
            return position + offset;
        case TSeekOrigin::soEnd:
            return size < 0 ? -1 : size + offset;
    }
    return -1;
}
}  // namespace

// TMemoryStream

std::int64_t TMemoryStream::Read(std::span<std::uint8_t> buffer) {
    const std::size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    const std::size_t count = std::min(available, buffer.size());
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), count, buffer.begin());
    position_ += count;
    return static_cast<std::int64_t>(count);
}

std::int64_t TMemoryStream::Write(std::span<const std::uint8_t> buffer) {
    if (position_ + buffer.size() > bytes_.size()) {
        bytes_.resize(position_ + buffer.size());
    }
    std::copy(buffer.begin(), buffer.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += buffer.size();
    return static_cast<std::int64_t>(buffer.size());
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const std::int64_t target =
        seekTarget(offset, origin, static_cast<std::int64_t>(position_), static_cast<std::int64_t>(bytes_.size()));
    if (target < 0) {
        return -1;
    }
    position_ = static_cast<std::size_t>(target);
    return target;
}

// TStdStream

TStdStream::TStdStream(std::istream& in) : in_(&in) {}
TStdStream::TStdStream(std::ostream& out) : out_(&out) {}
TStdStream::TStdStream(std::iostream& both) : in_(&both), out_(&both) {}

std::int64_t TStdStream::Read(std::span<std::uint8_t> buffer) {
    if (in_ == nullptr || in_->bad()) {
        return -1;
    }
    in_->read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize count = in_->gcount();
    if (in_->bad()) {
        return -1;
    }
    in_->clear();  // reaching the end is a short read, not a failure
    return count;
}

std::int64_t TStdStream::Write(std::span<const std::uint8_t> buffer) {
    if (out_ == nullptr || !out_->good()) {
        return -1;
    }
    out_->write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    return out_->good() ? static_cast<std::int64_t>(buffer.size()) : -1;
}

std::int64_t TStdStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const auto way = origin == TSeekOrigin::soBeginning ? std::ios::beg
                     : origin == TSeekOrigin::soCurrent ? std::ios::cur
                                                        : std::ios::end;
    std::int64_t position = -1;
    if (in_ != nullptr) {
        in_->clear();
        in_->seekg(offset, way);
        if (in_->fail()) {
            return -1;
        }
        position = static_cast<std::int64_t>(in_->tellg());
    }
    if (out_ != nullptr) {
        out_->clear();
        // One std::iostream keeps two positions; keep them together at the reading one.
        const bool sameStream = in_ != nullptr && static_cast<std::ios*>(in_) == static_cast<std::ios*>(out_);
        if (sameStream) {
            out_->seekp(position);
        } else {
            out_->seekp(offset, way);
        }
        if (out_->fail()) {
            return -1;
        }
        position = static_cast<std::int64_t>(out_->tellp());
    }
    return position;
}

std::int64_t TStdStream::Size() {
    const std::int64_t here = Seek(0, TSeekOrigin::soCurrent);
    if (here < 0) {
        return -1;
    }
    const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

// TFileStream

TFileStream::TFileStream(const std::string& path, Mode mode) {
    if (mode == Mode::Create) {
        try {
            replacing_ = std::make_unique<safewrite::ReplacingFile>(path);
            file_ = replacing_->handle();
        } catch (const safewrite::SafeWriteError& failure) {
            openFailure_ = failure.reason();
        }
        return;
    }
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        openFailure_ = errno != 0 ? std::strerror(errno) : "cannot open";
    }
}

TFileStream::~TFileStream() {
    if (replacing_) {
        replacing_->discard();
    } else if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool TFileStream::Close() {
    if (file_ == nullptr) {
        return true;
    }
    std::FILE* file = std::exchange(file_, nullptr);
    if (replacing_) {
        try {
            replacing_->commit();
            return true;
        } catch (const safewrite::SafeWriteError&) {
            return false;
        }
    }
    return std::fclose(file) == 0;
}

std::int64_t TFileStream::Read(std::span<std::uint8_t> buffer) {
    if (file_ == nullptr) {
        return -1;
    }
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (count < buffer.size() && std::ferror(file_) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(count);
}

std::int64_t TFileStream::Write(std::span<const std::uint8_t> buffer) {
    if (file_ == nullptr) {
        return -1;
    }
    return static_cast<std::int64_t>(std::fwrite(buffer.data(), 1, buffer.size(), file_));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (file_ == nullptr || offset < std::numeric_limits<long>::min() || offset > std::numeric_limits<long>::max()) {
        return -1;
    }
    const int way = origin == TSeekOrigin::soBeginning ? SEEK_SET
                    : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                       : SEEK_END;
    if (std::fseek(file_, static_cast<long>(offset), way) != 0) {
        return -1;
    }
    return std::ftell(file_);
}

std::int64_t TFileStream::Size() {
    const std::int64_t here = Seek(0, TSeekOrigin::soCurrent);
    if (here < 0) {
        return -1;
    }
    const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    if (Seek(here, TSeekOrigin::soBeginning) < 0) {
        return -1;
    }
    return end;
}

}  // namespace bv3::compress
