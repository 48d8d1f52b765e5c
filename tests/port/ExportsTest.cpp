// libdarvodr.so exports exactly the driver's 52 functions: 39 with C linkage
// (plain names) and 13 text functions with C++ linkage.
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>
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
            // "<address> <type> <name>"
            size_t first = l.find(' '), second = first == std::string::npos ? first : l.find(' ', first + 1);
            if (second == std::string::npos) continue;
            char type = l[first + 1];
            if (type != 'T' && type != 'W') continue; // functions only
            names.insert(l.substr(second + 1));
        }
        ::pclose(p);
    }
    return names;
}

const std::set<std::string> kCFunctions = {"OpenPort",
                                           "ClosePort",
                                           "RSSequence",
                                           "PrintControl",
                                           "PrintResume",
                                           "CommunicationInit",
                                           "CommunicationEnd",
                                           "pDeviceName",
                                           "pDllVersion",
                                           "pDllAuthor",
                                           "pErrMessage",
                                           "ReceiptConditions",
                                           "ReceiptBegin",
                                           "pReceiptItem",
                                           "PackageItem",
                                           "PrintSubtotal",
                                           "ReceiptEnd",
                                           "ReceiptCancel",
                                           "pCharsInArticleName",
                                           "pFillPayment",
                                           "pFillLines",
                                           "ErasePayments",
                                           "EraseLines",
                                           "ReadVAT",
                                           "SetVAT",
                                           "DailyReport",
                                           "PeriodReport",
                                           "MonthlyReport",
                                           "NumberReport",
                                           "LockedArticlesReport",
                                           "PrinterStatusReport",
                                           "ReceiptNumber",
                                           "DailyReportNumber",
                                           "pReadTotal",
                                           "pReadSelTotal",
                                           "pReadClock",
                                           "WriteLineFeed",
                                           "pReadUniqueNumber",
                                           "OpenDrawer"};

const std::set<std::string> kCppFunctions = {
    "DeviceName(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "DllVersion(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "DllAuthor(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "ErrMessage(int, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "ReceiptItem(int, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > "
    "const&, "
    "int, int, unsigned int, int, std::__cxx11::basic_string<char, std::char_traits<char>, "
    "std::allocator<char> "
    "> const&, unsigned int, unsigned int&)",
    "CharsInArticleName(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > "
    "const&)",
    "FillPayment(int, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > "
    "const&, "
    "int, int)",
    "FillLines(int, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > const&, "
    "int&)",
    "ReadTotal(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "ReadSelTotal(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > const&, "
    "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "ReadClock(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&, "
    "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "ReadUniqueNumber(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)",
    "PrinterNumber(int&, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >&)"};

} // namespace

TEST(Exports, ExactlyTheDriverFunctions) {
    std::set<std::string> raw = DefinedDynamicSymbols(false);
    std::set<std::string> demangled = DefinedDynamicSymbols(true);
    ASSERT_FALSE(raw.empty()) << "nm could not read " << DARVO_SHARED_LIB;
    EXPECT_EQ(52u, kCFunctions.size() + kCppFunctions.size());

    // The C functions appear unmangled.
    for (const std::string &name : kCFunctions)
        EXPECT_TRUE(raw.count(name)) << "missing C export " << name;
    // The C++ functions appear mangled, and demangle to their signatures.
    for (const std::string &sig : kCppFunctions)
        EXPECT_TRUE(demangled.count(sig)) << "missing " << sig;

    std::set<std::string> expected = kCFunctions;
    expected.insert(kCppFunctions.begin(), kCppFunctions.end());
    for (const std::string &name : demangled)
        EXPECT_TRUE(expected.count(name)) << "unexpected export " << name;
    EXPECT_EQ(52u, demangled.size());
    size_t mangled =
        std::count_if(raw.begin(), raw.end(), [](const std::string &n) { return n.rfind("_Z", 0) == 0; });
    EXPECT_EQ(13u, mangled);
}
