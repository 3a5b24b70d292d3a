#include "acquisition/polling_texts.h"

#include "core/lang.h"

namespace vostrand::acquisition {

const QString PollingTexts::kProgramTitle = QStringLiteral("VostrandNet 5.10");
const QString PollingTexts::kNoFileCaption = QStringLiteral(" - опрос без записи в файл");
const QString PollingTexts::kOverload = QStringLiteral(" Перегруз! Пропуск тика таймера");
const QString PollingTexts::kUntilPause = QStringLiteral(" до паузы попыток ");

PollingTexts PollingTexts::fromLang(const core::Lang& lang)
{
    PollingTexts texts;
    texts.loDat = lang.text(u"Lo_dat");
    texts.loadCou = lang.text(u"Load_cou");
    texts.cou = lang.text(u"Cou");
    texts.totalRe = lang.text(u"Total_Re");
    texts.records = lang.text(u"Records");
    texts.noOrObr = lang.text(u"No_or_obr");
    texts.device = lang.text(u"Device");
    texts.saF = lang.text(u"Sa_f");
    texts.stop = lang.text(u"Stop");
    texts.loStop = lang.text(u"Lo_stop");
    texts.start = lang.text(u"Start");
    texts.reSens = lang.text(u"re_sens");
    return texts;
}

} // namespace vostrand::acquisition
