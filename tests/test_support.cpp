#include "test_support.h"

#include "core/trace.h"
#include "tools/headless/headless.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

void CoreTest::SetUp()
{
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_dir = cwd;
    std::string tmpl = old_dir + "/testXXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    ASSERT_NE(mkdtemp(buf.data()), nullptr);
    dir = buf.data();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    orv_clear_globals();
}

void CoreTest::TearDown()
{
    orv_clear_globals();
    if (chdir(old_dir.c_str()) == 0) {
        std::string cmd = "rm -rf '" + dir + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", dir.c_str());
    }
}

void CoreTest::write_file(const std::string &name, const std::string &bytes)
{
    std::ofstream out(name, std::ios::binary);
    out << bytes;
}

std::string CoreTest::read_file(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string log_text()
{
    static std::vector<char> buffer(65536);
    get_log_str(buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

int run_headless(std::vector<std::string> args, std::string &out, std::string &err)
{
    args.insert(args.begin(), "orvane-headless");
    std::vector<const char *> argv;
    for (auto &a : args)
        argv.push_back(a.c_str());
    char *out_buf = nullptr, *err_buf = nullptr;
    size_t out_len = 0, err_len = 0;
    FILE *o = open_memstream(&out_buf, &out_len);
    FILE *e = open_memstream(&err_buf, &err_len);
    int status = hl_main(static_cast<int>(argv.size()), argv.data(), o, e);
    std::fclose(o);
    std::fclose(e);
    out.assign(out_buf, out_len);
    err.assign(err_buf, err_len);
    std::free(out_buf);
    std::free(err_buf);
    return status;
}
