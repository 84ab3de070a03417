#include "report/filters/pdf/RLPDFArchive.h"

#include "report/filters/pdf/RLPDFWriter.h"

#include <QCryptographicHash>

#include <cstdio>
#include <cstdlib>

namespace prenso {
namespace {

// The profile's bytes, put here by the build from the colour profile package.
constexpr unsigned char kSRGBProfile[] = {
#include "srgb_profile.inc"
};

// Offset from UTC as sign, hours and minutes.
struct UtcOffset {
    char Sign;
    int Hours;
    int Minutes;
};

UtcOffset utcOffset(const QDateTime &moment)
{
    const int seconds = moment.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return UtcOffset{seconds < 0 ? '-' : '+', minutes / 60, minutes % 60};
}

std::string xmlEscaped(const QString &text)
{
    std::string out;
    for (const char c : text.toStdString()) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The XMP form of a moment: "YYYY-MM-DDTHH:mm:SS+HH:mm".
std::string xmpDate(const QDateTime &moment)
{
    const UtcOffset o = utcOffset(moment);
    char zone[24];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", o.Sign, o.Hours, o.Minutes);
    return moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString() + zone;
}

} // namespace

std::string PDFArchiveDate(const QDateTime &moment)
{
    const UtcOffset o = utcOffset(moment);
    char zone[24];
    std::snprintf(zone, sizeof zone, "%c%02d'%02d'", o.Sign, o.Hours, o.Minutes);
    return "D:" + moment.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + zone;
}

std::string PDFArchiveMetadata(const TRLPDFFilterDocumentInfo &info, const QDateTime &created)
{
    // Each field of the information dictionary has its property here; a
    // reader that checks the archive compares the two.
    std::string x = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                    "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
                    "<pdfaid:part>1</pdfaid:part>\n"
                    "<pdfaid:conformance>B</pdfaid:conformance>\n"
                    "</rdf:Description>\n"
                    "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
                    "<xmp:CreateDate>" +
                    xmpDate(created) + "</xmp:CreateDate>\n";
    if (!info.Creator().isEmpty())
        x += "<xmp:CreatorTool>" + xmlEscaped(info.Creator()) + "</xmp:CreatorTool>\n";
    x += "</rdf:Description>\n";
    if (!info.Producer().isEmpty() || !info.KeyWords().isEmpty()) {
        x += "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n";
        if (!info.Producer().isEmpty())
            x += "<pdf:Producer>" + xmlEscaped(info.Producer()) + "</pdf:Producer>\n";
        if (!info.KeyWords().isEmpty())
            x += "<pdf:Keywords>" + xmlEscaped(info.KeyWords()) + "</pdf:Keywords>\n";
        x += "</rdf:Description>\n";
    }
    if (!info.Title().isEmpty() || !info.Author().isEmpty() || !info.Subject().isEmpty()) {
        x += "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n";
        const auto alt = [](const QString &v) {
            return "<rdf:Alt><rdf:li xml:lang=\"x-default\">" + xmlEscaped(v) + "</rdf:li></rdf:Alt>";
        };
        if (!info.Title().isEmpty())
            x += "<dc:title>" + alt(info.Title()) + "</dc:title>\n";
        if (!info.Author().isEmpty())
            x += "<dc:creator><rdf:Seq><rdf:li>" + xmlEscaped(info.Author()) + "</rdf:li></rdf:Seq></dc:creator>\n";
        if (!info.Subject().isEmpty())
            x += "<dc:description>" + alt(info.Subject()) + "</dc:description>\n";
        x += "</rdf:Description>\n";
    }
    x += "</rdf:RDF>\n"
         "</x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
    return x;
}

std::string_view SRGBProfile()
{
    return {reinterpret_cast<const char *>(kSRGBProfile), sizeof kSRGBProfile};
}

std::string PDFDocumentId(std::string_view seed)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArrayView(seed.data(), static_cast<qsizetype>(seed.size())),
                                                     QCryptographicHash::Md5)
                                .toHex()
                                .toUpper();
    const std::string id = '<' + hash.toStdString() + '>';
    return "/ID [" + id + id + ']';
}

} // namespace prenso
