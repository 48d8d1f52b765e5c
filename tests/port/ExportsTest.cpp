// libdarvodr.so exports exactly the driver's 52 functions: 39 with C linkage
// (plain names) and 13 text functions with C++ linkage.
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> DefinedDynamicSymbols(bool demangle) {
    std::string command = std::string("nm -D --defined-only ") + (demangle ? "-C " : "") + DARVO_SHARED_LIB;
    std::set<std::string> names;
    if (FILE *p = ::popen(command.c_str(), "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, p)) {
            std::string l(line);
            l.erase(l.find_last_not_of("\n") + 1);
            // "<address> <type> <name>", functions only
            size_t first = l.find(' '), second = first == std::string::npos ? first : l.find(' ', first + 1);
            if (second != std::string::npos && (l[first + 1] == 'T' || l[first + 1] == 'W'))
                names.insert(l.substr(second + 1));
        }
        ::pclose(p);
    }
    return names;
}

std::set<std::string> Words(const std::string &text, char separator = ' ') {
    std::istringstream in(text);
    std::set<std::string> out;
    for (std::string w; std::getline(in, w, separator);)
        out.insert(w);
    return out;
}

const std::set<std::string> kCFunctions =
    Words("OpenPort ClosePort RSSequence PrintControl PrintResume CommunicationInit CommunicationEnd "
          "pDeviceName pDllVersion pDllAuthor pErrMessage ReceiptConditions ReceiptBegin pReceiptItem "
          "PackageItem PrintSubtotal ReceiptEnd ReceiptCancel pCharsInArticleName pFillPayment pFillLines "
          "ErasePayments EraseLines ReadVAT SetVAT DailyReport PeriodReport MonthlyReport NumberReport "
          "LockedArticlesReport PrinterStatusReport ReceiptNumber DailyReportNumber pReadTotal pReadSelTotal "
          "pReadClock WriteLineFeed pReadUniqueNumber OpenDrawer");

// The demangled signatures, "$" standing for std::string.
const std::set<std::string> kCppFunctions = Words(
    "DeviceName($&);DllVersion($&);DllAuthor($&);ErrMessage(int, $&);"
    "ReceiptItem(int, $ const&, int, int, unsigned int, int, $ const&, unsigned int, unsigned int&);"
    "CharsInArticleName($ const&);FillPayment(int, $ const&, int, int);FillLines(int, $ const&, int&);"
    "ReadTotal($&);ReadSelTotal($ const&, $&);ReadClock($&, $&);ReadUniqueNumber($&);PrinterNumber(int&, $&)",
    ';');

} // namespace

TEST(Exports, ExactlyTheDriverFunctions) {
    std::set<std::string> raw = DefinedDynamicSymbols(false);
    std::set<std::string> demangled = DefinedDynamicSymbols(true);
    ASSERT_FALSE(raw.empty()) << "nm could not read " << DARVO_SHARED_LIB;
    std::set<std::string> expected = kCFunctions;
    for (std::string sig : kCppFunctions) {
        for (size_t at; (at = sig.find('$')) != std::string::npos;)
            sig.replace(at, 1,
                        "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >");
        expected.insert(sig);
    }
    ASSERT_EQ(52u, expected.size());
    EXPECT_EQ(expected, demangled);
    // The C functions appear unmangled, the C++ ones mangled.
    for (const std::string &name : kCFunctions)
        EXPECT_TRUE(raw.count(name)) << "missing C export " << name;
    EXPECT_EQ(13, std::count_if(raw.begin(), raw.end(),
                                [](const std::string &n) { return n.rfind("_Z", 0) == 0; }));
}
