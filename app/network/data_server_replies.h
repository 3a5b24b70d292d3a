#pragma once

#include "acquisition/station_snapshot.h"
#include "core/regional_format.h"
#include "network/scan_listing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::core {
class Lang;
}

namespace vostrand::network {

// The translatable texts of the replies, copied from the language table by the owner.
struct DataServerTexts
{
    QString tServ = QStringLiteral("период опроса приборов Vostrand на сервере"); // `T_Serv`
    QString noData = QStringLiteral("Пока не получены данные с датчиков");        // `No_data`
    QString noReading = QStringLiteral("Опрос датчиков на сервере не включен");   // `No_reading`

    static DataServerTexts fromLang(const core::Lang& lang);
};

// The answers of the data server to one request line, built from one snapshot. Pure: no
// sockets, no clock; the "ipscan" listing is the caller's shared one.
class DataServerReplies
{
public:
    static const QString kFieldEnd;    // "^\t", after every field of a reply
    static const QString kErrorPrefix; // "Error Vostrand: "
    static constexpr int kDayDigits = 15;

    explicit DataServerReplies(core::RegionalFormat regional, DataServerTexts texts = {});

    const core::RegionalFormat& regional() const { return m_regional; }

    // The reply lines in the order they are sent; empty when the request gets no reply. A
    // leading "t", "s" or "p" answers the reply of that device and is removed, and the rest
    // goes on through the other requests ("t1" answers an empty line and the record line).
    QStringList reply(QStringView request, const acquisition::StationSnapshot& snapshot,
                      ScanListing& listing) const;
    // The same for a request as received: Windows-1251 without its line end; every reply
    // line ends with CR LF.
    QByteArray replyBytes(QByteArrayView request, const acquisition::StationSnapshot& snapshot,
                          ScanListing& listing) const;

    // The "ipscan" listing of a snapshot: 2N + 2M + 3 lines.
    QStringList scanListing(const acquisition::StationSnapshot& snapshot) const;

    // The day number of the last pass in the shortest general format ("0" before any pass).
    QString dayNumberText(const acquisition::StationSnapshot& snapshot) const;

    // Shortest general format with up to `precision` significant digits: "46001,56347",
    // "0,1", "1,5E-5", "1E20".
    static QString generalText(double value, int precision, QChar decimalSeparator);
    // Fixed point with `digits` decimals after rounding to `precision` significant digits
    // ("0,010", "123,0"); a number with more integer digits than `precision` falls back to
    // the general format.
    static QString fixedText(double value, int precision, int digits, QChar decimalSeparator);
    // `Mas` as the listing writes it: 3 decimals up to 0.1, else 1 (a single-precision 0.1
    // lies above 0.1 and gets 1).
    static QString scaleText(float mas, QChar decimalSeparator);
    // One "gstat" field: 4 upper-case hex digits of each channel's word.
    static QString wordsText(const core::DeviceRecord::ChannelWords& words, int channels);

private:
    void replyAfterKey(QStringView request, const acquisition::StationSnapshot& snapshot,
                       ScanListing& listing, QStringList& lines) const;
    QString allModbus(const acquisition::StationSnapshot& snapshot) const;
    static QString programWords(const acquisition::StationSnapshot& snapshot);

    core::RegionalFormat m_regional;
    DataServerTexts m_texts;
};

} // namespace vostrand::network
