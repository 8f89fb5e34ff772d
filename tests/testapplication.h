#pragma once

#include <QCoreApplication>

namespace varnelo::test {

// The application object of a test that runs an event loop, with the arguments it keeps.
class TestCoreApplication {
public:
    TestCoreApplication() : m_app(m_argc, m_argv) {}

private:
    int m_argc = 1;
    char m_name[5] = "test";
    char *m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app;
};

}  // namespace varnelo::test
