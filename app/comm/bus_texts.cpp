#include "comm/bus_texts.h"

#include "core/lang.h"

namespace vostrand::comm {

BusTexts BusTexts::fromLang(const core::Lang& lang)
{
    return {lang.text(u"Err_Port2"), lang.text(u"Err_Port"), lang.text(u"No_time")};
}

} // namespace vostrand::comm
