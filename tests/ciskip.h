#pragma once

#include <QtGlobal>

#include <gtest/gtest.h>

// Skips a test whose tool or service is missing on this machine, but fails it on CI (the CI
// environment variable set), whose set-up installs and starts everything the suite uses.
#define VARNELO_SKIP_UNLESS_CI(reason)                   \
    do {                                                 \
        if (qEnvironmentVariableIsSet("CI")) {           \
            FAIL() << reason << " (CI must provide it)"; \
        }                                                \
        GTEST_SKIP() << reason;                          \
    } while (false)
