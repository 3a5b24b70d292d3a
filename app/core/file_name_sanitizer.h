#pragma once

#include <QString>
#include <QStringView>

namespace vostrand::core {

// Makes one file-name component out of outside text (a device name read from a device or a
// server, a caption): no path separators, no "..", no control characters and none of the
// characters Windows forbids, no reserved device name, trimmed, bounded and never empty.
class FileNameSanitizer
{
public:
    static constexpr QChar kReplacement = u'_';
    static constexpr qsizetype kMaxLength = 100;
    static constexpr QStringView kFallback = u"unnamed";

    static QString sanitize(QStringView text, QStringView fallback = kFallback);
};

} // namespace vostrand::core
