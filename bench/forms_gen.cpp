#include "forms_gen.h"

#include <cstdio>

namespace prenso::bench {

std::string formLine(std::uint32_t n, int width)
{
    static const char *names[] = {"ARROZ TIPO 1 5KG", "FEIJ\xc3O CARIOCA", "A\xc7\xdaCAR CRISTAL", "CAF\xc9 TORRADO 500G",
                                  "\xd3LEO DE SOJA 900ML", "MACARR\xc3O ESPAGUETE"};
    char buf[256];
    const unsigned qty = (n * 7919u) % 97u + 1u;
    const unsigned cents = (n * 104729u) % 100000u;
    std::snprintf(buf, sizeof buf, "%06u %-24s %5u UN %9u,%02u %11u,%02u", n, names[n % 6], qty, cents / 100,
                  cents % 100, cents * qty / 100, (cents * qty) % 100);
    std::string line(buf);
    if (static_cast<int>(line.size()) < width)
        line.append(static_cast<size_t>(width) - line.size(), ' ');
    line.resize(static_cast<size_t>(width));
    return line;
}

} // namespace prenso::bench
