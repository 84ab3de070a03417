#pragma once
// The paper sizes the engine knows, each with its size in millimetres and the
// printer driver's paper code, and the lookup that turns a page size into the
// paper a printer is asked for.

#include "report/RLPageOrientation.h"

#include <QString>

#include <array>

namespace prenso {

enum class TRLPaperSize : int {
    fpA0,
    fpA1,
    fpA2,
    fpA3,
    fpA4,
    fpA5,
    fpA6,
    fpA7,
    fpA8,
    fpA9,
    fpA10,
    fpB0,
    fpB1,
    fpB2,
    fpB3,
    fpB4,
    fpB5,
    fpB6,
    fpB7,
    fpB8,
    fpB9,
    fpB10,
    fpSRA0,
    fpSRA1,
    fpSRA2,
    fpSRA3,
    fpSRA4,
    fpRA0,
    fpRA1,
    fpRA2,
    fpRA3,
    fpRA4,
    fp2A,
    fp2B,
    fp4A,
    fp4B,
    fp9x11,
    fp10x11,
    fp10x14,
    fp11x17,
    fp12x11,
    fp15x11,
    fpA3_Extra,
    fpA3_Extra_Transverse,
    fpA3_Transverse,
    fpA4_Small,
    fpA4_Extra,
    fpA4_Plus,
    fpA4_Transverse,
    fpA5_Extra,
    fpA5_Transverse,
    fpA_Plus,
    fpB4_JIS,
    fpB5_Extra,
    fpB5_Transverse,
    fpB6_JIS,
    fpB_Plus,
    fpEnv_9,
    fpEnv_10,
    fpEnv_11,
    fpEnv_12,
    fpEnv_14,
    fpEnv_B4,
    fpEnv_B5,
    fpEnv_B6,
    fpEnv_C0,
    fpEnv_C1,
    fpEnv_C2,
    fpEnv_C3,
    fpEnv_C4,
    fpEnv_C5,
    fpEnv_C5E,
    fpEnv_C6,
    fpEnv_C65,
    fpEnv_C7,
    fpEnv_C8,
    fpEnv_C9,
    fpEnv_C10,
    fpEnv_DL,
    fpEnv_Invite,
    fpEnv_Italy,
    fpEnv_Monarch,
    fpEnv_Personal,
    fpLetter,
    fpLegal,
    fpLedger,
    fpTabloid,
    fpExecutive,
    fpFanfold_US,
    fpComm10E,
    fpDLE,
    fpFolio,
    fpNote,
    fpPostcard,
    fpQuarto,
    fpStatement,
    fpLegal_Extra,
    fpLegal3,
    fpLetter_Small,
    fpLetter_Extra,
    fpLetter_Extra_Transverse,
    fpLetter_Plus,
    fpLetter_Transverse,
    fpP16K,
    fpP32K,
    fpP32KBig,
    fpPEnv_1,
    fpPEnv_2,
    fpPEnv_3,
    fpPEnv_4,
    fpPEnv_5,
    fpPEnv_6,
    fpPEnv_7,
    fpPEnv_8,
    fpPEnv_9,
    fpPEnv_10,
    fpTabloid_Extra,
    fpGerman_Legal_Fanfold,
    fpGerman_Std_Fanfold,
    fpJap_DblPostcard,
    fpJap_Postcard,
    fpEng_Foolscap,
    fpEng_DoubleFoolscap,
    fpEng_QuadFoolscap,
    fpEng_Crown,
    fpEng_DoubleCrown,
    fpEng_QuadCrown,
    fpEng_DoubleQuad,
    fpEng_Post,
    fpEng_DoublePost,
    fpEng_DoubleLarge,
    fpEng_Demy,
    fpEng_DoubleDemy,
    fpEng_QuadDemy,
    fpEng_MusicDemy,
    fpEng_Medium,
    fpEng_Royal,
    fpEng_SuperRoyal,
    fpEng_Elephant,
    fpEng_Imperial,
    fpCustom
};

inline constexpr int kPaperSizeCount = static_cast<int>(TRLPaperSize::fpCustom) + 1;

// The driver's paper code for a size the caller gives in millimetres.
inline constexpr int kUserDefinedPaperCode = 256;

struct TRLPaperInfo {
    double Width = 0;      // mm
    double Height = 0;     // mm
    QString Description;   // a label such as "A4 210 x 297 mm"
    bool Emulated = false; // the driver has no code for it (SystemCode is 0 then)
    int SystemCode = 0;
};

// The table, indexed by TRLPaperSize; filled on first use.
const std::array<TRLPaperInfo, kPaperSizeCount> &PaperTable();
const TRLPaperInfo &PaperInfo(TRLPaperSize size);

// The first paper of the table (custom and emulated ones left out) whose
// width and height together differ from W x H by less than 0.01 mm, the
// closest one winning; TRLPaperSize::fpCustom when none does.
TRLPaperSize PaperSizeBySize(double widthMM, double heightMM);

// What a printer is asked for: a known paper by its code and its own size, or
// the user-defined code with the size as given.
struct TRLPaperRequest {
    int PaperCode = 0;
    double Width = 0;  // mm
    double Height = 0; // mm
    TRLPageOrientation Orientation = TRLPageOrientation::poPortrait;
};
TRLPaperRequest PaperRequest(double widthMM, double heightMM, TRLPageOrientation orientation);

} // namespace prenso
