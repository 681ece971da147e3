// What a hyperlink text from a report may open, and how it is shown.
#include "preview/hyperlinks.h"

#include "reportfile/link_text.h"

#include <gtest/gtest.h>

namespace qrp {
namespace {

TEST(LinkPolicy, WebAndMailAddressesAreOpened)
{
    const struct {
        std::string link, url;
    } cases[] = {
        {"http://exemplo.com.br/laudo?id=12", "http://exemplo.com.br/laudo?id=12"},
        {"https://exemplo.com.br:8443/a/b#c", "https://exemplo.com.br:8443/a/b#c"},
        {"HTTPS://Exemplo.com.br/", "https://exemplo.com.br/"},
        {"mailto:laboratorio@exemplo.com.br", "mailto:laboratorio@exemplo.com.br"},
        // Non-ASCII bytes of the file: opened, and shown, encoded as they will be sent.
        {Latin1ToUtf8("https://exemplo.com.br/a\xE7\xE3o"), "https://exemplo.com.br/a%C3%A7%C3%A3o"},
    };
    for (const auto& c : cases) {
        const TLinkTarget t = InspectLink(c.link);
        EXPECT_TRUE(t.Allowed) << c.link;
        EXPECT_EQ(t.Url.toString(QUrl::FullyEncoded).toStdString(), c.url) << c.link;
        EXPECT_EQ(t.Shown.toStdString(), c.url) << c.link;
    }
}

TEST(LinkPolicy, EverythingElseIsRefused)
{
    const std::string refused[] = {
        "",
        "file:///etc/passwd",
        "FILE:/home",
        "javascript:alert(1)",
        "data:text/html,<script>x</script>",
        "ftp://exemplo.com.br/",
        "smb://servidor/laudos",
        "myapp://open?x=1",
        "vbscript:msgbox",
        "/relative/path",
        "exemplo.com.br",
        "http:sem-host",
        "https:///caminho",
        "mailto:",
        "https://banco.example@outro.example/",  // a user part that poses as the host
        "https://exemplo.com.br/\x01x",
        "https://exemplo.com.br/\x7f",
        Latin1ToUtf8("https://exemplo.com.br/\x85x"),  // C1 control
        Latin1ToUtf8("https://exemplo.com.br/\xADx"),  // soft hyphen: invisible
        "https://exemplo.com.br/a b",
        "https://exemplo.com.br/\n",
        "\thttps://exemplo.com.br/",
        "https://exemplo.com.br/" + std::string(3000, 'a'),
        "https://exemplo.com.br/\xff\xfe",  // malformed UTF-8
    };
    for (const std::string& link : refused) {
        const TLinkTarget t = InspectLink(link);
        EXPECT_FALSE(t.Allowed) << link.substr(0, 60);
        EXPECT_TRUE(t.Url.isEmpty()) << link.substr(0, 60);
    }
}

TEST(LinkPolicy, ShownTextsHaveNoControlsAndABoundedLength)
{
    std::string hostile;
    for (int b = 0; b < 256; ++b) hostile += static_cast<char>(b);
    const std::string cases[] = {
        Latin1ToUtf8(hostile),
        hostile,  // as raw bytes, malformed UTF-8 included
        "javascript:" + std::string(1 << 20, 'x') + "\x1b[2J",
        std::string(100000, '\n'),
    };
    for (const std::string& link : cases) {
        const QString shown = InspectLink(link).Shown;
        EXPECT_LE(shown.size(), kMaxShownLinkLength + 1);
        for (QChar c : shown) {
            EXPECT_NE(c.category(), QChar::Other_Control) << int(c.unicode());
            EXPECT_NE(c.category(), QChar::Other_Format) << int(c.unicode());
        }
    }
    // Both ends of a long link stay readable.
    const QString shown = ShownLink("https://exemplo.com.br/" + std::string(5000, 'a') + "/fim");
    EXPECT_TRUE(shown.startsWith(QStringLiteral("https://exemplo.com.br/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/fim")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_EQ(ShownLink("mailto:a@b.example"), QStringLiteral("mailto:a@b.example"));
}

}  // namespace
}  // namespace qrp
