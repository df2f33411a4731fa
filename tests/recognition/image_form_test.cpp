// The one-pass request body must be byte for byte what encoding the image to
// Base64 and then form-escaping every pair gives, for every length and every
// byte pattern (the fast loop and the exact tail meet at different offsets).

#include <gtest/gtest.h>

#include <random>

#include "recognition/escaped_base64.h"
#include "recognition/image_prep.h"
#include "recognition/ocr_client.h"

namespace {

std::string RandomBytes(std::mt19937& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    return bytes;
}

std::string Reference(const std::string& image, FormMap options) {
    options["image"] = Base64Encode(image);
    return EncodeFormPairs(options);
}

}  // namespace

TEST(ImageForm, MatchesTwoStepEncodingForEveryLengthAndPattern) {
    std::mt19937 random(11);
    for (size_t size = 0; size < 200; ++size) {
        const std::string bytes = RandomBytes(random, size);
        const std::string expected = CurlEscape(Base64Encode(bytes));
        ASSERT_EQ(EscapedBase64Size(bytes), expected.size()) << size;
        std::string out(expected.size() + 16, '#');
        char* end = EscapedBase64Into(out.data(), bytes);
        ASSERT_EQ(static_cast<size_t>(end - out.data()), expected.size()) << size;
        EXPECT_EQ(out.substr(0, expected.size()), expected) << size;
        // Nothing is written past the end of the text.
        EXPECT_EQ(out.substr(expected.size()), std::string(16, '#')) << size;
    }
    // Bytes whose digits are all "+" and "/": the longest escaping.
    const std::string worst(300, '\xFF');
    EXPECT_EQ(EncodeImageForm(worst, {}), Reference(worst, {}));
    const std::string large = RandomBytes(random, 1 << 20);
    EXPECT_EQ(EncodeImageForm(large, {}), Reference(large, {}));
}

TEST(ImageForm, ImageTakesItsPlaceInKeyOrderAndIsNeverReplaced) {
    const std::string image = "\xFB\xFF\xBE image bytes";
    const FormMap before{{"detect_direction", "true"}, {"id_card_side", "front"}};
    const FormMap after{{"language_type", "CHN_ENG"}, {"probability", "true"}};
    const FormMap both{{"detect_direction", "true"}, {"language_type", "ENG"}, {"x y", "a&b"}};
    for (const FormMap& options : {before, after, both})
        EXPECT_EQ(EncodeImageForm(image, options), Reference(image, options));
    const std::string body = EncodeImageForm(image, {{"image", "not the image"}});
    EXPECT_EQ(body, "image=" + CurlEscape(Base64Encode(image)) + "&");
}
