#include "core/file_name_sanitizer.h"

#include <gtest/gtest.h>

namespace vostrand::core {
namespace {

TEST(FileNameSanitizer, makesOneSafeComponent)
{
    const std::vector<std::pair<const char16_t*, QString>> cases = {
        {u"ТРМ-251 печь 1", "ТРМ-251 печь 1"},
        {u"  padded  ", "padded"},
        {u"a/b\\c", "a_b_c"},
        {u"../../etc/passwd", "___etc_passwd"},
        {u"..\\..\\windows", "___windows"},
        {u"name..txt", "name_txt"},
        {u"v1.2.3", "v1.2.3"},
        {u"a<b>c:d\"e|f?g*h", "a_b_c_d_e_f_g_h"},
        {u"tab\there\nnew\x7f", "tab_here_new_"},
        {u"trailing dots...", "trailing dots"},
        {u".hidden", "hidden"},
        {u"COM1", "_COM1"},
        {u"nul.txt", "_nul.txt"},
        {u"COM10", "COM10"},
        {u"CONSOLE", "CONSOLE"},
        {u"", "unnamed"},
        {u"   ", "unnamed"},
        {u"..", "unnamed"},
        {u". .", "unnamed"},
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(FileNameSanitizer::sanitize(text), name)
            << QString::fromUtf16(text).toStdString();
}

TEST(FileNameSanitizer, boundsTheLengthWithoutSplittingACharacter)
{
    const QString longName = QString(FileNameSanitizer::kMaxLength - 1, u'a') +
                             QString::fromUtf8("\xF0\x9F\x98\x80") + "tail";
    const QString name = FileNameSanitizer::sanitize(longName);
    EXPECT_LE(name.size(), FileNameSanitizer::kMaxLength);
    EXPECT_FALSE(name.back().isHighSurrogate());

    const QString cutAtBlank = QString(FileNameSanitizer::kMaxLength - 1, u'b') + "  more";
    EXPECT_EQ(FileNameSanitizer::sanitize(cutAtBlank),
              QString(FileNameSanitizer::kMaxLength - 1, u'b'));
}

TEST(FileNameSanitizer, customFallback)
{
    EXPECT_EQ(FileNameSanitizer::sanitize(u"///", u"device"), "___");
    EXPECT_EQ(FileNameSanitizer::sanitize(u" ", u"device"), "device");
}

} // namespace
} // namespace vostrand::core
