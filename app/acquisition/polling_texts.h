#pragma once

#include <QString>

namespace vostrand::core {
class Lang;
}

namespace vostrand::acquisition {

// The translatable texts of the polling cycle, copied from the language table by whoever
// owns the cycle (the table lives on another thread). Defaults are what the built-in table
// gives: the Russian text, else the constant's name.
struct PollingTexts
{
    static const QString kProgramTitle;  // "VostrandNet 5.10"
    static const QString kNoFileCaption; // " - опрос без записи в файл"
    static const QString kOverload;   // " Перегруз! Пропуск тика таймера"
    static const QString kUntilPause; // " до паузы попыток "

    QString loDat = QStringLiteral("Идет прием данных");               // `Lo_dat`
    QString loadCou = QStringLiteral("Load_cou");                      // `Load_cou`
    QString cou = QStringLiteral("Cou");                               // `Cou`
    QString totalRe = QStringLiteral("Total_Re");                      // `Total_Re`
    QString records = QStringLiteral("записей");                       // `Records`
    QString noOrObr = QStringLiteral("Не отвечают или обрыв каналов"); // `No_or_obr`
    QString device = QStringLiteral("Прибор");                         // `Device`
    QString saF = QStringLiteral("Накопление в файл");                 // `Sa_f`
    QString stop = QStringLiteral("Stop");                             // `Stop`
    QString loStop = QStringLiteral("Lo_stop");                        // `Lo_stop`
    QString start = QStringLiteral("Start");                           // `Start`
    QString reSens = QStringLiteral("re_sens");                        // `re_sens`

    static PollingTexts fromLang(const core::Lang& lang);
};

} // namespace vostrand::acquisition
