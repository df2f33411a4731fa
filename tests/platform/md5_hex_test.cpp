#include "platform/md5_hex.h"

#include <gtest/gtest.h>

TEST(Md5Hex, MatchesTheReferenceVectors) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(
        Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
        "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Hex, StopsAtTheTerminatingZero) {
    EXPECT_EQ(Md5Hex(std::string("abc\0def", 7)), Md5Hex("abc"));
}

TEST(Md5Hex, DigestOfTheEmptyDigestIsTheFallbackMachineCodeSource) {
    // A machine with no disk serial and no firmware block hashes the digest of "".
    EXPECT_EQ(Md5Hex(Md5Hex("")), "74be16979710d4c4e7c6647856088456");
}
