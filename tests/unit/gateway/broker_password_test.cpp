// Where the broker's password comes from, in its order of preference, and
// what is said of a file that is not safe or not readable.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "broker_password.h"

namespace {

TEST(BrokerPassword, FileThenEnvironmentThenCredentialAndWhatIsWrongWithAFile) {
    char pattern[] = "/tmp/lumeric-password-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const std::string folder = pattern;
    const auto write = [&](const std::string& name, const std::string& text, mode_t mode) {
        std::ofstream(folder + "/" + name) << text;
        chmod((folder + "/" + name).c_str(), mode);
        return folder + "/" + name;
    };
    const std::string privateFile = write("private", "from-file\r\nsecond line\n", 0600);
    const std::string sharedFile = write("shared", "shared\n", 0644);
    const std::string emptyFile = write("empty", "\n", 0600);
    write("mqtt-password", "from-credential", 0400);
    const char* credentials = pattern;

    // file, given (--password or the environment), credentials folder -> password | warning, or the refusal
    const std::tuple<std::string, std::string, const char*, std::string> rows[] = {
        {privateFile, "from-env", credentials, "from-file |"},
        {"", "from-env", credentials, "from-env |"},
        {"", "", credentials, "from-credential |"},
        {"", "", "/nonexistent", " |"},  // a service without the credential
        {"", "", nullptr, " |"},
        {sharedFile, "", nullptr,
         "shared |--password-file " + sharedFile + " may be read by others than its owner (chmod 600 it)"},
        {emptyFile, "", nullptr, "--password-file " + emptyFile + " holds no password on its first line"},
        {folder + "/missing", "", nullptr,
         "--password-file " + folder + "/missing cannot be read: No such file or directory"},
    };
    for (const auto& [file, given, directory, expected] : rows) {
        const auto found = FindBrokerPassword({file, given, directory});
        const auto* password = std::get_if<BrokerPassword>(&found);
        EXPECT_EQ(expected, password ? password->password + " |" + password->warning : std::get<std::string>(found))
            << file << " " << given;
    }
    std::system(("rm -rf " + folder).c_str());
}

}  // namespace
