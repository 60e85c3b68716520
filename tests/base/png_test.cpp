// PNG streams: what the encoder writes comes back unchanged and is 8-bit RGB without interlace,
// the decoder reads the other 8-bit colour types, skips what is not the picture, and refuses
// damaged or unsupported streams instead of giving a wrong picture.
#include "base/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kIendSize = 12;

Image test_pattern(int width, int height) {
    Image image(width, height);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            // Smooth areas, sharp edges and noise, so that the encoder picks several filters.
            const int noise = static_cast<int>(state >> 24);
            image.at(x, y) = x < width / 3       ? rgb(x * 3 % 256, y * 5 % 256, 128)
                             : x < width * 2 / 3 ? rgb(noise, 255 - noise, (x ^ y) & 0xFF)
                                                 : rgb(200, 40, (y / 4) % 2 ? 255 : 0);
        }
    }
    return image;
}

void put_u32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void put_chunk(Bytes& out, const std::string& type, const Bytes& data) {
    put_u32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put_u32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), typed.size())));
}

Bytes deflated(const Bytes& raw) {
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    compress(out.data(), &size, raw.data(), raw.size());
    out.resize(size);
    return out;
}

// A stream built by hand: raw is the filtered scanlines (filter byte first on each row).
Bytes handmade_png(int width, int height, int colour_type, const Bytes& raw,
                   const Bytes& palette = {}, int bit_depth = 8, std::uint8_t interlace = 0) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put_u32(header, static_cast<std::uint32_t>(width));
    put_u32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(),
                  {std::uint8_t(bit_depth), std::uint8_t(colour_type), 0, 0, interlace});
    put_chunk(out, "IHDR", header);
    if (!palette.empty()) put_chunk(out, "PLTE", palette);
    put_chunk(out, "IDAT", deflated(raw));
    put_chunk(out, "IEND", {});
    return out;
}

void expect_same_image(const Image& actual, const Image& expected) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            ASSERT_EQ(actual.at(x, y), expected.at(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST(PngTest, EncodedImagesDecodeUnchanged) {
    for (const auto& [width, height] : {std::pair{1, 1}, {602, 222}, {3, 97}, {257, 2}}) {
        const Image image = test_pattern(width, height);
        const std::optional<Image> decoded = decode_png(encode_png(image));
        ASSERT_TRUE(decoded) << width << "x" << height;
        expect_same_image(*decoded, image);
    }
}

TEST(PngTest, TheSameImageAlwaysGivesTheSameBytes) {
    const Image image = test_pattern(40, 30);
    const Bytes bytes = encode_png(image);
    EXPECT_EQ(encode_png(image), bytes);
    ASSERT_GE(bytes.size(), kSignatureSize);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + kSignatureSize),
              (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
}

std::uint32_t u32_at(const Bytes& bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
           std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// What the encoder promises its readers: the header right after the signature says 8-bit RGB,
// not interlaced, of the image's size; an empty image, which a PNG cannot hold, gives nothing.
TEST(PngTest, EncodedStreamIsEightBitRgbWithoutInterlace) {
    const Bytes bytes = encode_png(test_pattern(300, 7));
    ASSERT_GE(bytes.size(), kSignatureSize + 8 + 13);
    const std::size_t header = kSignatureSize + 8;  // after the length and the type "IHDR"
    EXPECT_EQ(std::string(bytes.begin() + kSignatureSize + 4, bytes.begin() + header), "IHDR");
    EXPECT_EQ(u32_at(bytes, header), 300u);
    EXPECT_EQ(u32_at(bytes, header + 4), 7u);
    EXPECT_EQ(bytes[header + 8], 8) << "bit depth";
    EXPECT_EQ(bytes[header + 9], 2) << "colour type RGB";
    EXPECT_EQ(bytes[header + 12], 0) << "interlace method";
    EXPECT_TRUE(encode_png(Image(0, 5)).empty());
    EXPECT_TRUE(encode_png(Image(5, 0)).empty());
}

TEST(PngTest, GreyPaletteAndAlphaImagesAreRead) {
    const std::optional<Image> grey = decode_png(handmade_png(2, 1, 0, {0, 0x10, 0xF0}));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->at(0, 0), rgb(0x10, 0x10, 0x10));
    EXPECT_EQ(grey->at(1, 0), rgb(0xF0, 0xF0, 0xF0));

    const Bytes palette = {1, 2, 3, 200, 100, 50};
    const std::optional<Image> indexed = decode_png(handmade_png(2, 1, 3, {0, 1, 0}, palette));
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->at(0, 0), rgb(200, 100, 50));
    EXPECT_EQ(indexed->at(1, 0), rgb(1, 2, 3));

    const std::optional<Image> grey_alpha = decode_png(handmade_png(1, 1, 4, {0, 0x44, 0x00}));
    ASSERT_TRUE(grey_alpha);
    EXPECT_EQ(grey_alpha->at(0, 0), rgb(0x44, 0x44, 0x44));

    const std::optional<Image> rgba = decode_png(handmade_png(1, 1, 6, {0, 7, 8, 9, 0x80}));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->at(0, 0), rgb(7, 8, 9));
}

// Only the picture is read: an ancillary chunk is skipped whatever it holds, and an interlaced
// picture, whose rows would come out in the wrong order, is refused even where it is valid.
TEST(PngTest, OnlyTheNonInterlacedPictureIsRead) {
    const Bytes rgb_pixel = {0, 7, 8, 9};  // a 1 x 1 picture is the same in both layouts
    ASSERT_TRUE(decode_png(handmade_png(1, 1, 2, rgb_pixel)));
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 2, rgb_pixel, {}, 8, 1)));

    const Bytes plain = handmade_png(1, 1, 2, rgb_pixel);
    const std::size_t after_header = kSignatureSize + 12 + 13;
    Bytes with_note(plain.begin(), plain.begin() + after_header);
    put_chunk(with_note, "zTXt", Bytes{'k', 0, 0, 'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    with_note.insert(with_note.end(), plain.begin() + after_header, plain.end());
    const std::optional<Image> image = decode_png(with_note);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(0, 0), rgb(7, 8, 9));
}

TEST(PngTest, DamagedStreamsAreRefused) {
    const Bytes good = encode_png(test_pattern(16, 16));
    ASSERT_TRUE(decode_png(good));

    EXPECT_FALSE(decode_png({}));
    Bytes bad_signature = good;
    bad_signature[1] = 'Q';
    EXPECT_FALSE(decode_png(bad_signature));

    Bytes bad_checksum = good;
    bad_checksum[good.size() / 2] ^= 0x01;  // inside the pixel data: its chunk checksum fails
    EXPECT_FALSE(decode_png(bad_checksum));

    EXPECT_FALSE(decode_png(Bytes(good.begin(), good.end() - kIendSize)));  // no IEND
    EXPECT_FALSE(decode_png(Bytes(good.begin(), good.begin() + good.size() / 2)));
}

TEST(PngTest, PixelDataOfTheWrongSizeIsRefused) {
    // 2 x 2 RGB needs 2 rows of 1 + 6 bytes.
    EXPECT_TRUE(decode_png(handmade_png(2, 2, 2, Bytes(14, 0))));
    EXPECT_FALSE(decode_png(handmade_png(2, 2, 2, Bytes(13, 0))));
    EXPECT_FALSE(decode_png(handmade_png(2, 2, 2, Bytes(15, 0))));
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 2, {5, 0, 0, 0})));  // no filter type 5
}

TEST(PngTest, UnsupportedOrInconsistentHeadersAreRefused) {
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 2, Bytes(7, 0), {}, 16)));    // 16-bit
    EXPECT_FALSE(decode_png(handmade_png(8, 1, 0, Bytes(2, 0), {}, 1)));     // 1-bit grey
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 5, Bytes(2, 0))));            // no colour type 5
    EXPECT_FALSE(decode_png(handmade_png(0, 1, 2, Bytes(1, 0))));            // empty
    EXPECT_FALSE(decode_png(handmade_png(100000, 100000, 2, Bytes(1, 0))));  // too large
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 3, {0, 0})));                 // no palette
    EXPECT_FALSE(decode_png(handmade_png(1, 1, 3, {0, 2}, {1, 2, 3, 4, 5, 6})));  // index 2 of 2
}

class PngFileTest : public testing::ScratchDirectoryTest {};

TEST_F(PngFileTest, WrittenFilesReadBackUnchanged) {
    const Image image = test_pattern(33, 17);
    ASSERT_TRUE(write_png(image, "picture.png"));
    const std::optional<Image> read = read_png("picture.png");
    ASSERT_TRUE(read);
    expect_same_image(*read, image);
    EXPECT_EQ(testing::read_file("picture.png").size(), encode_png(image).size());
}

TEST_F(PngFileTest, FailuresAreReported) {
    EXPECT_FALSE(write_png(test_pattern(4, 4), "no-such-directory/picture.png"));
    EXPECT_FALSE(write_png(Image(), "empty.png"));
    EXPECT_FALSE(read_png("missing.png"));
    testing::write_file("text.png", "not a picture");
    EXPECT_FALSE(read_png("text.png"));
}

TEST_F(PngFileTest, AFullDiskIsAFailure) {
    const Image image = test_pattern(300, 300);  // far more than the limit even compressed
    EXPECT_FALSE(testing::with_file_size_limit(1000, [&] { return write_png(image, "big.png"); }));
}

}  // namespace
}  // namespace tolvan
