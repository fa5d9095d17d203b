#include "gfx/PngEncoder.h"

#include "core/Error.h"

#include <zlib.h>

#include <cstring>

namespace zamp {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterUp = 2;
constexpr std::uint8_t kColourTypeRgb = 2;

void putBigEndian(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value >> 24), at[1] = std::uint8_t(value >> 16), at[2] = std::uint8_t(value >> 8);
    at[3] = std::uint8_t(value);
}

// Appends a chunk whose data is already in place after room for its length and type: the
// length and type before it, the CRC of type and data after it.
void closeChunk(std::vector<std::uint8_t>& file, std::size_t start, const char* type) {
    const std::size_t length = file.size() - start - 8;
    putBigEndian(&file[start], static_cast<std::uint32_t>(length));
    std::memcpy(&file[start + 4], type, 4);
    const uLong crc = crc32(crc32(0, nullptr, 0), &file[start + 4], static_cast<uInt>(length + 4));
    file.resize(file.size() + 4);
    putBigEndian(&file[file.size() - 4], static_cast<std::uint32_t>(crc));
}

} // namespace

struct PngEncoder::Deflater {
    z_stream stream{};
    Deflater() {
        if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&stream); }
};

PngEncoder::PngEncoder() : deflater_(std::make_unique<Deflater>()) {}

PngEncoder::~PngEncoder() = default;

const std::vector<std::uint8_t>& PngEncoder::encode(const RgbImage& image) {
    const std::size_t stride = std::size_t(image.width) * 3;
    filtered_.resize((stride + 1) * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* out = &filtered_[(stride + 1) * std::size_t(y)];
        const std::uint8_t* row = &image.pixels[stride * std::size_t(y)];
        out[0] = kFilterUp;
        if (y == 0) {
            std::memcpy(out + 1, row, stride);
        } else {
            const std::uint8_t* above = row - stride;
            for (std::size_t x = 0; x < stride; ++x) out[1 + x] = std::uint8_t(row[x] - above[x]);
        }
    }

    z_stream& z = deflater_->stream;
    deflateReset(&z);
    const std::size_t bound = deflateBound(&z, uLong(filtered_.size()));
    file_.resize(sizeof kSignature + 25 + 8 + bound + 12);
    std::memcpy(file_.data(), kSignature, sizeof kSignature);

    std::uint8_t* header = &file_[sizeof kSignature + 8];
    putBigEndian(header, std::uint32_t(image.width));
    putBigEndian(header + 4, std::uint32_t(image.height));
    header[8] = 8; // bits per channel
    header[9] = kColourTypeRgb;
    header[10] = header[11] = header[12] = 0; // deflate, adaptive filters, no interlace
    file_.resize(sizeof kSignature + 8 + 13);
    closeChunk(file_, sizeof kSignature, "IHDR");

    const std::size_t dataStart = file_.size();
    file_.resize(dataStart + 8 + bound);
    z.next_in = filtered_.data();
    z.avail_in = uInt(filtered_.size());
    z.next_out = &file_[dataStart + 8];
    z.avail_out = uInt(bound);
    // deflateBound leaves room for everything: one call finishes the stream.
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw Error("a PNG file could not be written: zlib did not finish its stream");
    file_.resize(dataStart + 8 + z.total_out);
    closeChunk(file_, dataStart, "IDAT");

    const std::size_t endStart = file_.size();
    file_.resize(endStart + 8);
    closeChunk(file_, endStart, "IEND");
    return file_;
}

} // namespace zamp
