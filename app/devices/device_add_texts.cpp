#include "devices/device_add_texts.h"

#include "core/device_table.h"
#include "core/lang.h"
#include "core/sensor_table.h"

namespace vostrand::devices {

namespace {

QString protocolName(qint16 code)
{
    switch (code) {
    case DeviceRequest::kAscii:
        return QStringLiteral(" - ModBus ASCII");
    case DeviceRequest::kRtu:
        return QStringLiteral(" - ModBus RTU");
    case DeviceRequest::kModbusTcp:
        return QStringLiteral(" - ModBus TCP/IP");
    default:
        return QStringLiteral(" - Vostrand");
    }
}

} // namespace

DeviceAddTexts::DeviceAddTexts(const core::Lang& lang)
    : m_lang(lang)
{}

QString DeviceAddTexts::text(QStringView name) const
{
    return m_lang.text(name);
}

DeviceMessage DeviceAddTexts::capacity() const
{
    const QString limit = text(u"Limit");
    return {text(u"Information"),
            text(u"No_add_dev") + QStringLiteral(" \r\n\r\n") + limit + QLatin1Char(' ') +
                QString::number(core::SensorTable::kCapacity) + QStringLiteral("  ") +
                text(u"Sens1") + QStringLiteral("\r\n") + limit + QLatin1Char(' ') +
                QString::number(core::DeviceTable::kCapacity) + QStringLiteral("  ") +
                text(u"Devices")};
}

DeviceMessage DeviceAddTexts::duplicateAddress(int address) const
{
    return {text(u"Warning"), QString::number(address) + QStringLiteral("  ") + text(u"AdrAle_Ex")};
}

DeviceMessage DeviceAddTexts::portUnavailable() const
{
    return {text(u"TCP_Caption"), text(u"CPort_Mess")};
}

DeviceMessage DeviceAddTexts::noReply(int address) const
{
    return {text(u"Warning"), QString::number(address) + QLatin1Char(' ') + text(u"No_repd")};
}

DeviceMessage DeviceAddTexts::tooManyChannels(int channelCount) const
{
    return {text(u"Warning"), text(u"No_add_dev") + QStringLiteral(" \r\n\r\n") +
                                  text(u"Can_Count") + QStringLiteral(" - ") +
                                  QString::number(channelCount) + QStringLiteral(" > ") +
                                  QString::number(core::DeviceRecord::kMaxChannels)};
}

DeviceMessage DeviceAddTexts::confirmation(const DeviceRequest& request,
                                           const IdentificationResult& identification) const
{
    const QString lineEnd = QStringLiteral("\n\r");
    QString message = text(u"Dev_yes") + QStringLiteral(" - ") + QString::number(request.address) +
                      lineEnd + text(u"Can_Count") + QStringLiteral(" - ") +
                      QString::number(identification.channelCount) + lineEnd + text(u"Protocol") +
                      protocolName(request.protocol) + lineEnd;
    if (request.protocol != DeviceRequest::kMaker)
        message += text(u"Model") + QStringLiteral(" - ") +
                   identification.model.value_or(QString()) + lineEnd;
    message += lineEnd + text(u"Add_Dev");
    return {QStringLiteral("VostrandNet"), message};
}

DeviceMessage DeviceAddTexts::parameterFileApplied(const QString& path) const
{
    return {text(u"Information"),
            QStringLiteral("Применены настройки из файла с параметрами ") + path +
                QStringLiteral("\rДля применения настроек из прибора - удалите этот файл и "
                               "повторите сканирование")};
}

QString DeviceAddTexts::badFormulaCount(QStringView fieldText)
{
    return QStringLiteral("Неверное количество формул ") + fieldText.toString() +
           QStringLiteral("\rдобавляю математический \"прибор\" из одной формулы");
}

std::vector<DeviceMessage> DeviceAddTexts::messagesFor(const DeviceRequest& request,
                                                       const DeviceAdditionResult& result) const
{
    const AddDeviceResult& added = result.added;
    switch (added.refusal) {
    case AddRefusal::None:
        break;
    case AddRefusal::Capacity:
        return {capacity()};
    case AddRefusal::DuplicateAddress:
        return {duplicateAddress(request.address)};
    case AddRefusal::TooManyChannels:
        return {tooManyChannels(result.identification.channelCount)};
    case AddRefusal::NotIdentified:
        if (result.identification.outcome == IdentificationOutcome::PortUnavailable)
            return {portUnavailable(), noReply(request.address)};
        return {noReply(request.address)};
    }
    std::vector<DeviceMessage> messages;
    if (added.parameterFile)
        messages.push_back(parameterFileApplied(*added.parameterFile));
    if (added.parameterFileError)
        messages.push_back({text(u"Warning"), added.parameterFileError->fileName +
                                                  QStringLiteral(": ") +
                                                  added.parameterFileError->error});
    return messages;
}

QString DeviceAddTexts::sensorCount(int count) const
{
    return QLatin1Char(' ') + text(u"Sens1") + QLatin1Char(' ') + QString::number(count);
}

} // namespace vostrand::devices
