#include "report/printing/RLPaperSizes.h"

#include <cmath>

namespace prenso {

namespace {

// One row as written below: the paper's name, its size, and the driver's code
// (0 where the driver has none and the size has to be asked for by measure).
struct Row {
    const char *name;
    double width;
    double height;
    int code;
};

// In TRLPaperSize order; the static_assert below keeps the two in step.
constexpr Row kRows[] = {
    {"A0", 841, 1189, 0},
    {"A1", 594, 841, 0},
    {"A2", 420, 594, 66},
    {"A3", 297, 420, 8},
    {"A4", 210, 297, 9},
    {"A5", 148, 210, 11},
    {"A6", 105, 148, 70},
    {"A7", 74, 105, 0},
    {"A8", 52, 74, 0},
    {"A9", 37, 52, 0},
    {"A10", 26, 37, 0},
    {"B0", 1000, 1414, 0},
    {"B1", 707, 1000, 0},
    {"B2", 500, 707, 0},
    {"B3", 353, 500, 0},
    {"B4", 250, 353, 12},
    {"B5", 176, 250, 13},
    {"B6", 125, 176, 88},
    {"B7", 88, 125, 0},
    {"B8", 62, 88, 0},
    {"B9", 44, 62, 0},
    {"B10", 31, 44, 0},
    {"SRA0", 900, 1280, 0},
    {"SRA1", 640, 900, 0},
    {"SRA2", 450, 640, 0},
    {"SRA3", 320, 450, 0},
    {"SRA4", 225, 320, 0},
    {"RA0", 860, 1220, 0},
    {"RA1", 610, 860, 0},
    {"RA2", 430, 610, 0},
    {"RA3", 305, 430, 0},
    {"RA4", 215, 305, 0},
    {"2A", 1189, 1682, 0},
    {"2B", 1414, 2000, 0},
    {"4A", 1682, 2378, 0},
    {"4B", 2000, 2828, 0},
    {"9x11", 228.6, 279.4, 44},
    {"10x11", 254, 279.4, 45},
    {"10x14", 254, 355.6, 16},
    {"11x17", 279.4, 431.8, 17},
    {"12x11", 304.8, 279.4, 90},
    {"15x11", 381, 279.4, 46},
    {"A3 Extra", 322.44, 445.2, 63},
    {"A3 Extra Transverse", 322, 445, 68},
    {"A3 Transverse", 297, 420, 67},
    {"A4 Small", 210, 297, 10},
    {"A4 Extra", 235.3, 322.44, 53},
    {"A4 Plus", 210, 330, 60},
    {"A4 Transverse", 210, 297, 55},
    {"A5 Extra", 174, 235, 64},
    {"A5 Transverse", 148, 210, 61},
    {"A Plus", 227, 356, 57},
    {"B4 JIS", 250, 354, 0},
    {"B5 Extra", 201, 276, 65},
    {"B5 Transverse", 182, 257, 62},
    {"B6 JIS", 128, 182, 88},
    {"B Plus", 305, 487, 58},
    {"Env 9", 76.2, 203.2, 19},
    {"Env 10", 101.6, 228.6, 20},
    {"Env 11", 101.6, 254, 21},
    {"Env 12", 101.6, 279.4, 22},
    {"Env 14", 127, 279.4, 23},
    {"Env B4", 250, 353, 33},
    {"Env B5", 176, 250, 34},
    {"Env B6", 176, 125, 35},
    {"Env C0", 917, 1297, 0},
    {"Env C1", 648, 917, 0},
    {"Env C2", 458, 648, 0},
    {"Env C3", 324, 458, 29},
    {"Env C4", 229, 324, 30},
    {"Env C5", 162, 229, 28},
    {"Env C5E", 163, 229, 0},
    {"Env C6", 114, 162, 31},
    {"Env C65", 114, 229, 32},
    {"Env C7", 81, 114, 0},
    {"Env C8", 57, 81, 0},
    {"Env C9", 40, 57, 0},
    {"Env C10", 28, 40, 0},
    {"Env DL", 110, 220, 27},
    {"Env Invite", 220, 220, 47},
    {"Env Italy", 110, 230, 36},
    {"Env Monarch", 98.43, 190.5, 37},
    {"Env Personal", 76.2, 152.4, 38},
    {"Letter", 215.9, 279.4, 1},
    {"Legal", 215.9, 355.6, 5},
    {"Ledger", 431.8, 279, 4},
    {"Tabloid", 279, 431.8, 3},
    {"Executive", 190.5, 254, 7},
    {"Fanfold US", 355.6, 279.4, 39},
    {"Comm10E", 105, 241, 0},
    {"DLE", 110, 220, 0},
    {"Folio", 215.9, 330.2, 14},
    {"Note", 304.8, 279.4, 18},
    {"Postcard", 100, 148, 0},
    {"Quarto", 215, 275, 15},
    {"Statement", 139.7, 215.9, 6},
    {"Legal Extra", 241.3, 381, 51},
    {"Legal3", 215.9, 330.2, 0},
    {"Letter Small", 304.8, 279.4, 2},
    {"Letter Extra", 241.3, 304.8, 50},
    {"Letter Extra Transverse", 241.3, 304.8, 56},
    {"Letter Plus", 215.9, 322.33, 59},
    {"Letter Transverse", 215.9, 279.4, 54},
    {"P16K", 146, 215, 93},
    {"P32K", 97, 151, 94},
    {"P32KBig", 97, 151, 95},
    {"PEnv 1", 102, 165, 96},
    {"PEnv 2", 102, 176, 97},
    {"PEnv 3", 125, 176, 98},
    {"PEnv 4", 110, 208, 99},
    {"PEnv 5", 110, 220, 100},
    {"PEnv 6", 120, 230, 101},
    {"PEnv 7", 160, 230, 102},
    {"PEnv 8", 120, 309, 103},
    {"PEnv 9", 229, 324, 104},
    {"PEnv 10", 324, 458, 105},
    {"Tabloid Extra", 296.93, 457.2, 52},
    {"German Legal Fanfold", 203.2, 330.2, 41},
    {"German Std Fanfold", 203.2, 304.8, 40},
    {"Jap DblPostcard", 200, 148, 69},
    {"Jap Postcard", 100, 148, 43},
    {"Eng Foolscap", 419, 336, 0},
    {"Eng DoubleFoolscap", 685.8, 431.8, 0},
    {"Eng QuadFoolscap", 863.6, 685.8, 0},
    {"Eng Crown", 508, 381, 0},
    {"Eng DoubleCrown", 762, 508, 0},
    {"Eng QuadCrown", 1016, 762, 0},
    {"Eng DoubleQuad", 1524, 1016, 0},
    {"Eng Post", 488.95, 393.7, 0},
    {"Eng DoublePost", 800.1, 495.3, 0},
    {"Eng DoubleLarge", 838.2, 533.4, 0},
    {"Eng Demy", 571.5, 444.5, 0},
    {"Eng DoubleDemy", 889, 571.5, 0},
    {"Eng QuadDemy", 1143, 889, 0},
    {"Eng MusicDemy", 508, 393.7, 0},
    {"Eng Medium", 584.2, 457.2, 0},
    {"Eng Royal", 634, 507, 0},
    {"Eng SuperRoyal", 698.5, 520.7, 0},
    {"Eng Elephant", 711.2, 584.2, 0},
    {"Eng Imperial", 761, 559, 0},
    {"Custom", 0, 0, kUserDefinedPaperCode},
};
static_assert(std::size(kRows) == kPaperSizeCount, "one row per TRLPaperSize value");

std::array<TRLPaperInfo, kPaperSizeCount> buildTable()
{
    std::array<TRLPaperInfo, kPaperSizeCount> table;
    for (int i = 0; i < kPaperSizeCount; ++i) {
        const Row &row = kRows[i];
        TRLPaperInfo &info = table[static_cast<size_t>(i)];
        info.Width = row.width;
        info.Height = row.height;
        info.SystemCode = row.code;
        info.Emulated = row.code == 0;
        info.Description =
            i == kPaperSizeCount - 1
                ? QString::fromLatin1(row.name)
                : QStringLiteral("%1 %2 x %3 mm").arg(QString::fromLatin1(row.name)).arg(row.width).arg(row.height);
    }
    return table;
}

} // namespace

const std::array<TRLPaperInfo, kPaperSizeCount> &PaperTable()
{
    static const std::array<TRLPaperInfo, kPaperSizeCount> table = buildTable();
    return table;
}

const TRLPaperInfo &PaperInfo(TRLPaperSize size)
{
    return PaperTable().at(static_cast<size_t>(size));
}

TRLPaperSize PaperSizeBySize(double widthMM, double heightMM)
{
    const auto &table = PaperTable();
    TRLPaperSize best = TRLPaperSize::fpCustom;
    double bestDistance = 0;
    for (int i = 0; i < kPaperSizeCount - 1; ++i) {
        const TRLPaperInfo &info = table[static_cast<size_t>(i)];
        if (info.Emulated)
            continue;
        const double distance = std::fabs(info.Width - widthMM) + std::fabs(info.Height - heightMM);
        // Several papers share a size (A4, A4 Small and A4 Transverse): the
        // strict comparison keeps the earliest of equally close ones.
        if (distance < 0.01 && (best == TRLPaperSize::fpCustom || distance < bestDistance)) {
            best = static_cast<TRLPaperSize>(i);
            bestDistance = distance;
        }
    }
    return best;
}

TRLPaperRequest PaperRequest(double widthMM, double heightMM, TRLPageOrientation orientation)
{
    TRLPaperRequest request;
    const TRLPaperSize size = PaperSizeBySize(widthMM, heightMM);
    if (size == TRLPaperSize::fpCustom) {
        request.PaperCode = kUserDefinedPaperCode;
        request.Width = widthMM;
        request.Height = heightMM;
    } else {
        const TRLPaperInfo &info = PaperInfo(size);
        request.PaperCode = info.SystemCode;
        request.Width = info.Width;
        request.Height = info.Height;
    }
    request.Orientation = orientation;
    return request;
}

} // namespace prenso
