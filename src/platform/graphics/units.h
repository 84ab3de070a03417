#pragma once
// The units the program measures in, and the one way it rounds.
//
// Pages are laid out in report pixels, 96 to the inch whatever the device:
// the preview scales them to the screen, the filters to the printer's dots
// or to the 72 points of an inch that PDF speaks. Paper is measured in
// millimetres, printers in dots at their own resolution. Every conversion
// between these goes through here, and every result that must be whole is
// rounded by RoundCoord, halves to even, so that the screen, the printer and
// the file agree to the pixel.

namespace prenso {

// Report pixels per inch.
inline constexpr int kDesignPixelsPerInch = 96;
inline constexpr int kPointsPerInch = 72;
inline constexpr double kMillimetresPerInch = 25.4;

constexpr double MillimetresToPixels(double mm)
{
    return mm * kDesignPixelsPerInch / kMillimetresPerInch;
}
constexpr double PixelsToMillimetres(double pixels)
{
    return pixels * kMillimetresPerInch / kDesignPixelsPerInch;
}
constexpr double PixelsToInches(double pixels)
{
    return pixels / kDesignPixelsPerInch;
}
// Three quarters of a pixel, exactly.
constexpr double PixelsToPoints(double pixels)
{
    return pixels * kPointsPerInch / kDesignPixelsPerInch;
}
// A length in a device's dots (`dotsPerInch` of them to the inch) as report
// pixels or millimetres, and back.
constexpr double DotsToPixels(double dots, double dotsPerInch)
{
    return dots * kDesignPixelsPerInch / dotsPerInch;
}
constexpr double DotsToMillimetres(double dots, double dotsPerInch)
{
    return dots * kMillimetresPerInch / dotsPerInch;
}
constexpr double MillimetresToDots(double mm, double dotsPerInch)
{
    return mm * dotsPerInch / kMillimetresPerInch;
}

// Rounds to the nearest integer with halves to even (2.5 -> 2, 3.5 -> 4).
// Values outside the int range saturate and NaN gives 0, so scaled
// coordinates from a damaged file can never overflow.
int RoundCoord(double value);

// Millimetres and inches as whole report pixels, rounded so.
int MMToPixels(double mm);
int InchesToPixels(double inches);

} // namespace prenso
