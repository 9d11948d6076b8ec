// The launch plan of every connection type, from a real settings file.
#include <gtest/gtest.h>

#include <set>

#include "core/launch.h"
#include "core/texts.h"
#include "tests/support/TempFolder.h"

// Requests name only the fields a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using lintara::LaunchPlan;
using lintara::LaunchRequest;
using lintara::PlanLaunch;
namespace texts = lintara::texts;

constexpr const char* kBrowser = "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" ";

struct LaunchCase {
    const char* name;
    std::string settings;  // content of Lintara.ini
    LaunchRequest request;
    std::vector<std::string> commandLines;
    std::string messageText, messageTitle;
    bool close;
};

std::vector<LaunchCase> Cases() {
    const std::string ssh = "[SSH]\r\nProgram=/bin/ssh\r\n";
    return {
        {"ssh with placeholders",
         ssh + "Options=-p PORT HOST -l host\r\n",
         {"SSH", "srv", "22"},
         {"/bin/ssh -p 22 srv -l host"},
         "",
         "",
         true},
        {"host twice",
         ssh + "Options=HOST HOST\r\n",
         {"SSH", "h", "22"},
         {"/bin/ssh h h"},
         "",
         "",
         true},
        {"PORT inside the host is filled too",
         ssh + "Options=HOST\r\n",
         {"SSH", "myPORThost", "2222"},
         {"/bin/ssh my2222host"},
         "",
         "",
         true},
        {"inserted text not scanned again",
         ssh + "Options=HOST\r\n",
         {"SSH", "HOSTHOST", "1"},
         {"/bin/ssh HOSTHOST"},
         "",
         "",
         true},
        {"options trimmed after filling",
         ssh + "Options=  HOST  \r\n",
         {"SSH", " h ", "22"},
         {"/bin/ssh h"},
         "",
         "",
         true},
        {"tabs are not trimmed",
         ssh + "Options=HOST\r\n",
         {"SSH", "h\t", "22"},
         {"/bin/ssh h\t"},
         "",
         "",
         true},
        {"empty options: one blank",
         ssh + "Options=\r\n",
         {"SSH", "h", "22"},
         {"/bin/ssh "},
         "",
         "",
         true},
        {"options absent: NOTCONFIGURED",
         ssh,
         {"SSH", "h", "22"},
         {"/bin/ssh NOTCONFIGURED"},
         "",
         "",
         true},
        {"program with blanks around",
         "[VNC]\r\nProgram=  /bin/vnc  \r\nOptions=HOST::PORT\r\n",
         {"VNC", "h", "5900"},
         {"/bin/vnc h::5900"},
         "",
         "",
         true},
        {"remote desktop reads its own section",
         "[RemoteDesktop]\r\nProgram=/bin/rdp\r\nOptions=/v:HOST:PORT\r\n",
         {"TermService", "h", "3389"},
         {"/bin/rdp /v:h:3389"},
         "",
         "",
         true},
        {"program missing",
         "[Telnet]\r\nProgram=/nope\r\n",
         {"Telnet", "h", "23"},
         {},
         texts::kMissingProgram,
         "Error",
         false},
        {"program a folder",
         "[FTP]\r\nProgram=/bin\r\n",
         {"FTP", "h", "21"},
         {},
         texts::kMissingProgram,
         "Error",
         false},
        {"program empty",
         "[RDPConsole]\r\nProgram=\r\n",
         {"RDPConsole", "h", "1"},
         {},
         texts::kMissingProgram,
         "Error",
         false},
        {"no section", "", {"VNC", "h", "1"}, {}, texts::kMissingProgram, "Error", false},
        {"program literally NOTCONFIGURED",
         "[SSH]\r\nProgram=NOTCONFIGURED\r\n",
         {"SSH", "h", "22"},
         {},
         texts::kMissingProgram,
         "Error",
         false},
        {"ping keeps the blanks typed", "", {"Ping", " h", "N/A"}, {"ping -t  h"}, "", "", false},
        {"http ignores the port",
         "",
         {"HTTP", "h:8080", "80"},
         {std::string(kBrowser) + "http://h:8080"},
         "",
         "",
         true},
        {"https", "", {"HTTPS", "h", "443"}, {std::string(kBrowser) + "https://h"}, "", "", true},
        {"map drive with credentials",
         "",
         {"MapDrive", "h", "N/A", "Z:", "\\\\h\\C$", "varo", "pw", false},
         {"net use Z: \\\\h\\C$ pw /USER:varo", "explorer Z:"},
         "",
         "",
         true},
        {"map drive anonymous",
         "",
         {"MapDrive", "h", "N/A", "Y:", "\\\\h\\D$", "varo", "pw", true},
         {"net use Y: \\\\h\\D$", "explorer Y:"},
         "",
         "",
         true},
        {"map drive empty credentials",
         "",
         {"MapDrive", "h", "N/A", "Z:", "s", "", "", false},
         {"net use Z: s  /USER:", "explorer Z:"},
         "",
         "",
         true},
        {"unknown key", "", {"ssh", "h", "22"}, {}, texts::kNotImplemented, "Fatal Error", false},
        {"empty key", "", {"", "h", "22"}, {}, texts::kNotImplemented, "Fatal Error", false},
    };
}

TEST(PlanLaunch, EveryType) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        lintara::test::TempFolder folder;
        const std::string path = folder.file("Lintara.ini");
        lintara::test::WriteFile(path, c.settings);
        std::vector<std::string> asked;
        auto fileExists = [&](const std::string& p) {
            asked.push_back(p);
            return p == "/bin/ssh" || p == "/bin/vnc" || p == "/bin/rdp" || p == "NOTCONFIGURED";
        };
        const LaunchPlan plan = PlanLaunch(c.request, path, fileExists);
        EXPECT_EQ(plan.commandLines, c.commandLines);
        EXPECT_EQ(plan.messageText, c.messageText);
        EXPECT_EQ(plan.messageTitle, c.messageTitle);
        EXPECT_EQ(plan.closeMainWindow, c.close);
        // The existence test runs for every configured type, even for NOTCONFIGURED.
        const auto row = lintara::FindConnectionType(c.request.typeKey);
        const bool configured = row && row->kind == lintara::LaunchKind::Configured;
        EXPECT_EQ(asked.size(), configured ? 1u : 0u);
    }
}

TEST(PlanLaunch, TableCoversEveryKeyOnce) {
    std::set<std::string_view> keys;
    for (const auto& row : lintara::ConnectionTypes()) keys.insert(row.key);
    EXPECT_EQ(keys, (std::set<std::string_view>{"TermService", "RDPConsole", "VNC", "Telnet", "SSH",
                                                "FTP", "Ping", "HTTP", "HTTPS", "MapDrive"}));
}

TEST(ReplaceAll, SinglePassEveryOccurrence) {
    EXPECT_EQ(lintara::ReplaceAll("HOST-HOST host", "HOST", "x"), "x-x host");
    EXPECT_EQ(lintara::ReplaceAll("HOSTHOST", "HOST", "HOST!"), "HOST!HOST!");
    EXPECT_EQ(lintara::ReplaceAll("HOSHOST", "HOST", "y"), "HOSy");
    EXPECT_EQ(lintara::ReplaceAll("", "HOST", "y"), "");
}

}  // namespace
