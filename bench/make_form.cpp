// make_form LINES > FORM.txt: the benchmarks' generated form (accented
// Windows-1252 text, a form feed every 66 lines), for the scripts that time
// the whole program on it.
#include "forms_gen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int lines = argc == 2 ? std::atoi(argv[1]) : 0;
    if (lines <= 0) {
        std::fprintf(stderr, "usage: make_form LINES > FORM.txt\n");
        return 2;
    }
    const std::string form = prenso::bench::makeForm(lines);
    return std::fwrite(form.data(), 1, form.size(), stdout) == form.size() ? 0 : 1;
}
