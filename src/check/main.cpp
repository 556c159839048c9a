// mnemora-check: tells the author of a data file what Mnemora will read in it.
#include <cstdio>
#include <string>
#include <string_view>

#include "sessions/data_file_check.h"

namespace {

constexpr const char* kHelp =
    "Использование: mnemora-check ФАЙЛ\n"
    "Проверяет файл данных Мнеморы так, как его читает сама программа,\n"
    "и показывает каждое место, где она прочтёт не то, что написано.\n"
    "\n"
    "Каждая находка занимает одну строку: имя файла, номер строки, вид и текст.\n"
    "  сведения         кодировка, число восприятий, число вопросов в списках\n"
    "  предупреждение   текст, который не покажется или покажется не так\n"
    "  ошибка           файлом нельзя пользоваться\n"
    "\n"
    "Кодировки: UTF-8 (с меткой порядка байтов или без неё) и Windows-1251.\n"
    "\n"
    "Код возврата:\n"
    "  0  ничего неожиданного\n"
    "  1  есть предупреждения\n"
    "  2  файла нет, он не читается или в нём меньше двух восприятий\n"
    "\n"
    "  -h, --help     показать эту справку\n"
    "      --version  показать версию\n"
    "\n"
    "Подробнее: man mnemora-check\n";

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    bool havePath = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (!optionsEnded && arg == "--version") {
            std::puts("mnemora-check 1.01");
            return 0;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            std::fprintf(stderr, "mnemora-check: неизвестный ключ %s\nСправка: mnemora-check --help\n", argv[i]);
            return 2;
        }
        if (havePath) {
            std::fputs("mnemora-check: проверяется один файл за раз\nСправка: mnemora-check --help\n", stderr);
            return 2;
        }
        path = arg;
        havePath = true;
    }
    if (!havePath) {
        std::fputs("Использование: mnemora-check ФАЙЛ\nСправка: mnemora-check --help\n", stderr);
        return 2;
    }
    const mnemora::DataFileReport report = mnemora::checkDataFile(path);
    for (const mnemora::Finding& f : report.findings) {
        std::puts(mnemora::formatFinding(path, f).c_str());
    }
    std::puts(mnemora::formatSummary(report).c_str());
    return report.exitStatus();
}
