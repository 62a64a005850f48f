#pragma once

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

// Makes the Qt application object of a test program once for all its tests, on the
// offscreen platform unless another is asked for; nothing when one exists already.
// App is QGuiApplication for drawing tests (text needs the font engine) and
// QApplication for widget tests.
template <typename App> class AppEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QCoreApplication::instance() != nullptr)
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<App>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "pelorix_tests";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<App> m_app;
};
