#pragma once

#include "core/lang.h"

#include <QString>
#include <QStringView>

namespace vostrand::core::ui {

// A window text by key ("TForm1.N15.Caption"): the current language's text when a language
// file has it, else the built-in Russian one given here.
inline QString uiText(const Lang& lang, QStringView key, const QString& russian)
{
    const QString text = lang.text(key);
    return text == key ? russian : text;
}

} // namespace vostrand::core::ui
