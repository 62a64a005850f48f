#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

// Drawing text needs the font engine, which lives in a GUI application object. This
// environment makes one (offscreen) for the whole test program when none exists.
class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QCoreApplication::instance() != nullptr)
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "canvas_tests";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QGuiApplication> m_app;
};

// Registers the environment once per test program, whichever files include this.
inline const bool kGuiEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new GuiEnvironment), true);
