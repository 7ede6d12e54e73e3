#include "core/digest.h"

#include <gtest/gtest.h>

namespace assoc {
namespace {

// md5sum over the text's GBK bytes (`printf '<text>' | iconv -t GBK | md5sum`).
TEST(Digest, MatchesMd5sumOfTheGbkBytes)
{
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"admin", "21232f297a57a5a743894a0e4a801fc3"},
        {"123456", "e10adc3949ba59abbe56e057f20f883e"},
        {"Admin ", "ddda34d782a8aaaf55b3bb9f4a8ac9e1"},
        {"管理员", "8178134ede762c42e41a7b1695082e28"},
        {"中文密码", "cab54837b8cb3345b7d7bd03e904d1c8"},
        {"密码abc", "a704196326853bad2331891daae0d046"},
        {"€", "ca6cf077ad027eaa3f4a467c5b2574f4"},   // GB18030 a2 e3
        {"𠀀", "0e651280373d50bc7063064f8fe3c869"},  // GB18030 95 32 82 36
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(password_digest(c.text), c.digest);
    }
}

}  // namespace
}  // namespace assoc
