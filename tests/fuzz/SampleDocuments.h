#pragma once

#include "ports/TextCodec.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantor::fuzz {

// Subtitle files the edit and restyle targets start from when the input does not bring its own. Written
// in UTF-8 here; `gbk` files are encoded before they are stored.
struct SampleDocument {
    bool gbk;
    std::string text;
};

inline const std::vector<SampleDocument>& sampleDocuments()
{
    static const std::string d = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
    static const std::string r = "<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}";
    static const std::vector<SampleDocument> samples {
        // Default style; entries 1 and 3 share a time line.
        { true,
            "1\r\n00:00:05,000 --> 00:00:07,500\r\n" + d
                + "Hello</b>\r\n\r\n2\r\n01:00:00,000 --> 01:00:02,000\r\n" + d
                + "你</b>\r\n\r\n3\r\n00:00:05,000 --> 00:00:07,500\r\n" + d + "abc</b>\r\n\r\n" },
        // Custom style, Chinese text.
        { true,
            "1\r\n00:00:01,000 --> 00:00:02,500\r\n" + r
                + "你好\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n" + r + "世界！\r\n\r\n" },
        // UTF-8 with a byte-order mark, custom style, a character GBK cannot hold.
        { false,
            "\xEF\xBB\xBF"
            "1\r\n00:00:01,000 --> 00:00:02,500\r\n"
                + r + "你好 😀\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n" + r + "한국어\r\n\r\n" },
        // UTF-8 without a byte-order mark, default style.
        { false,
            "1\r\n00:00:01,000 --> 00:00:02,500\r\n" + d
                + "中文字幕</b>\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n" + d + "x</b>\r\n\r\n" },
        // Made elsewhere: no tags, LF only, no final line break.
        { true, "1\n00:00:01,000 --> 00:00:02,000\nplain text\n\n2\n00:00:03,000 --> 00:00:04,000\nmore" },
        // Odd: "}" as a second byte (皚 is B0 7D), an entry of two text lines, tags in the text, a stray
        // line.
        { true,
            "1\r\n00:00:01,000 --> 00:00:02,000\r\n<font "
            "color=#00FF00>{\\fn皚\\fs9\\pos(1,2)\\}a.b\r\nsecond "
            "line\r\n\r\nstray {x}\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n<i>{\\an8}</i>你\r\n\r\n" },
    };
    return samples;
}

// The file bytes of sample `index`.
inline std::string sampleFile(std::size_t index, TextCodec& codec)
{
    const SampleDocument& sample = sampleDocuments()[index % sampleDocuments().size()];
    return sample.gbk ? codec.encode(sample.text, CodePage::Gbk) : sample.text;
}

} // namespace vantor::fuzz
