#include "devices/add_device_form.h"

#include "devices/device_add_texts.h"

namespace vostrand::devices {

DeviceLink AddDeviceForm::linkOf(int linkIndex)
{
    switch (linkIndex) {
    case 1:
        return DeviceLink::Tcp;
    case 2:
        return DeviceLink::Math;
    default:
        return DeviceLink::Serial;
    }
}

QStringList AddDeviceForm::protocolItems(DeviceLink link)
{
    switch (link) {
    case DeviceLink::Serial:
        return {QStringLiteral("Modbus ASCII"), QStringLiteral("Modbus RTU"),
                QStringLiteral("Vostrand")};
    case DeviceLink::Tcp:
        return {QStringLiteral("Modbus ASCII"), QStringLiteral("Modbus RTU"),
                QStringLiteral("Modbus TCP/IP")};
    case DeviceLink::Math:
        break;
    }
    return {};
}

int AddDeviceForm::protocolIndexOnSwitch(DeviceLink link)
{
    return link == DeviceLink::Serial ? 1 : 0;
}

std::optional<qint16> AddDeviceForm::protocolCode(DeviceLink link, int index)
{
    if (index < 0 || index > 2 || link == DeviceLink::Math)
        return std::nullopt;
    if (index == 2)
        return link == DeviceLink::Serial ? DeviceRequest::kMaker : DeviceRequest::kModbusTcp;
    return static_cast<qint16>(index);
}

AddDeviceFormResult AddDeviceForm::request(const AddDeviceFields& fields)
{
    AddDeviceFormResult result;
    DeviceRequest request;
    request.link = linkOf(fields.linkIndex);

    if (request.isMath()) {
        request.address = DeviceRequest::kMathAddress;
        request.protocol = DeviceRequest::kAscii;
        const std::optional<int> count = DeviceRequest::parseFormulaCount(fields.formulas);
        // A math device without formulas would only take a place in the list.
        if (count && *count >= 1) {
            request.formulaCount = *count;
        } else {
            request.formulaCount = 1;
            result.notice = DeviceAddTexts::badFormulaCount(fields.formulas);
        }
        result.request = request;
        return result;
    }

    bool ok = false;
    const int address = fields.address.trimmed().toInt(&ok);
    if (!ok || address < DeviceRequest::kMinAddress || address > DeviceRequest::kMaxAddress) {
        result.error = QStringLiteral("Сетевой адрес прибора должен быть от 1 до 254");
        return result;
    }
    request.address = address;
    const std::optional<qint16> code = protocolCode(request.link, fields.protocolIndex);
    if (!code) {
        result.error = QStringLiteral("Выберите протокол");
        return result;
    }
    request.protocol = *code;

    if (request.link == DeviceLink::Serial) {
        const QString port = fields.portName.trimmed();
        if (port.isEmpty()) {
            result.error = QStringLiteral("Выберите порт");
            return result;
        }
        const int baud = fields.baudRate.trimmed().toInt(&ok);
        request.serial = {port, ok && baud > 0 ? baud : 9600};
    } else {
        const QString host = fields.ipAddress.trimmed();
        const int port = fields.ipPort.trimmed().toInt(&ok);
        if (host.isEmpty()) {
            result.error = QStringLiteral("Укажите IP адрес");
            return result;
        }
        if (!ok || port < 1 || port > 65535) {
            result.error = QStringLiteral("Неверный IP порт ") + fields.ipPort;
            return result;
        }
        request.tcp = {host, static_cast<quint16>(port)};
    }
    result.request = request;
    return result;
}

} // namespace vostrand::devices
