#include "forms_gen.h"

#include "platform/io/files.h"
#include "platform/system/codepage.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <map>

namespace prenso::bench {

std::string makeForm(int lines)
{
    static const char *words[] = {
        "DISTRIBUIDORA", "SÃO",        "JOÃO",   "Ribeirão", "Preto", "ação",     "Avenida", "Brasília",
        "CONCEIÇÃO",     "Uberlândia", "Fatura", "nº",       "R$",    "1.234,56", "ÍTEM",    "descrição",
        "ÓLEO",          "açúcar",     "pão",    "café",     "—",     "€",        "|",       "----"};
    std::string out;
    out.reserve(static_cast<size_t>(lines) * 90);
    unsigned seed = 12345;
    for (int i = 0; i < lines; ++i) {
        std::string line;
        if (i > 0 && i % 66 == 0)
            line += '\f';
        seed = seed * 1103515245u + 12345u;
        const size_t target = 20 + (seed >> 16) % 113; // 20..132 characters
        while (line.size() < target) {
            seed = seed * 1103515245u + 12345u;
            line += cp1252::encode(QString::fromUtf8(words[(seed >> 16) % (sizeof words / sizeof *words)]));
            line += ' ';
        }
        line.resize(target);
        out += line;
        out += "\r\n";
    }
    return out;
}

QString formFile(int lines)
{
    static std::map<int, QString> made;
    auto it = made.find(lines);
    if (it != made.end())
        return it->second;
    const QString path = QDir::tempPath() + QStringLiteral("/prenso-bench-form-%1.txt").arg(lines);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const std::string data = makeForm(lines);
        f.write(data.data(), static_cast<qint64>(data.size()));
    }
    made[lines] = path;
    files::registerTempFile(path); // removed when the benchmark ends
    return path;
}

std::string formLine(std::uint32_t n, int width)
{
    static const char *names[] = {"ARROZ TIPO 1 5KG",
                                  "FEIJ\xc3O CARIOCA",
                                  "A\xc7\xda"
                                  "CAR CRISTAL",
                                  "CAF\xc9 TORRADO 500G",
                                  "\xd3LEO DE SOJA 900ML",
                                  "MACARR\xc3O ESPAGUETE"};
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
