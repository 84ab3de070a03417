#pragma once
// What makes a PDF document an archive file (PDF/A-1b) beyond its pages: the
// document's description in XMP metadata, which must tell what the
// information dictionary tells; the colour space the device colours of the
// pages mean (sRGB, as the screen shows them), carried as an ICC profile in
// an output intent; and an identifier for the file.

#include <QDateTime>

#include <string>
#include <string_view>

namespace prenso {

class TRLPDFFilterDocumentInfo;

// The moment in the information dictionary's form, with its offset from
// UTC: "D:YYYYMMDDHHmmSS+HH'mm'". An archive is read in other time zones.
std::string PDFArchiveDate(const QDateTime &moment);

// The XMP packet (UTF-8) that describes the document as PDF/A-1b, with the
// fields of `info` that are set and the creation moment.
std::string PDFArchiveMetadata(const TRLPDFFilterDocumentInfo &info, const QDateTime &created);

// The ICC profile of sRGB that the output intent carries.
std::string_view SRGBProfile();
// The name of that colour space, as the output intent names it.
// (A macro, so that it joins the literals it is written between.)
#define PRENSO_SRGB_CONDITION "sRGB IEC61966-2.1"

// The trailer's /ID entry for a document: two equal 16-byte identifiers
// made from what sets this document apart from others (its name, the
// moment, its size and page count).
std::string PDFDocumentId(std::string_view seed);

} // namespace prenso
