#include <gtest/gtest.h>

#include "platform/virtualkeys.h"

using namespace varnelo;

TEST(VirtualKeys, ModifierMask) {
    EXPECT_EQ(shiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(shiftMask(Qt::ShiftModifier), 1);
    EXPECT_EQ(shiftMask(Qt::ControlModifier | Qt::AltModifier), 6);
    // The keypad and meta flags are no modifiers of the program's.
    EXPECT_EQ(shiftMask(Qt::KeypadModifier | Qt::MetaModifier | Qt::ShiftModifier), 1);
}

TEST(VirtualKeys, LettersAndMainRowDigits) {
    EXPECT_EQ(virtualKey(Qt::Key_A, Qt::NoModifier), 65);
    EXPECT_EQ(virtualKey(Qt::Key_Z, Qt::ShiftModifier), 90);
    EXPECT_EQ(virtualKey(Qt::Key_0, Qt::NoModifier), 48);
    EXPECT_EQ(virtualKey(Qt::Key_9, Qt::AltModifier), 57);
}

TEST(VirtualKeys, KeypadKeysHaveCodesOfTheirOwn) {
    EXPECT_EQ(virtualKey(Qt::Key_0, Qt::KeypadModifier), vk::Numpad0);
    EXPECT_EQ(virtualKey(Qt::Key_1, Qt::KeypadModifier), 97);
    EXPECT_EQ(virtualKey(Qt::Key_9, Qt::KeypadModifier | Qt::ControlModifier), vk::Numpad9);
    EXPECT_EQ(virtualKey(Qt::Key_Plus, Qt::KeypadModifier), vk::Add);
    EXPECT_EQ(virtualKey(Qt::Key_Minus, Qt::KeypadModifier), vk::Subtract);
    // Plus and minus of the main keyboard are not the volume keys.
    EXPECT_EQ(virtualKey(Qt::Key_Plus, Qt::NoModifier), 0);
    EXPECT_EQ(virtualKey(Qt::Key_Minus, Qt::NoModifier), 0);
    // Without Num Lock the keypad sends navigation keys, which keep their codes.
    EXPECT_EQ(virtualKey(Qt::Key_Home, Qt::KeypadModifier), vk::Home);
    EXPECT_EQ(virtualKey(Qt::Key_Down, Qt::KeypadModifier), vk::Down);
    EXPECT_EQ(virtualKey(Qt::Key_Enter, Qt::KeypadModifier), vk::Return);
}

TEST(VirtualKeys, NamedKeys) {
    const std::pair<int, int> keys[] = {
        {Qt::Key_Left, 37},   {Qt::Key_Up, 38},     {Qt::Key_Right, 39},  {Qt::Key_Down, 40},
        {Qt::Key_Home, 36},   {Qt::Key_End, 35},    {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
        {Qt::Key_Escape, 27}, {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},  {Qt::Key_Backspace, 8},
        {Qt::Key_Tab, 9},     {Qt::Key_Space, 32},  {Qt::Key_F1, vk::F1}, {Qt::Key_F4, vk::F4},
        {Qt::Key_F24, 135},   {Qt::Key_Shift, 16},
    };
    for (const auto &[qtKey, code] : keys)
        EXPECT_EQ(virtualKey(qtKey, Qt::NoModifier), code) << qtKey;
    EXPECT_EQ(virtualKey(Qt::Key_F25, Qt::NoModifier), 0);
    EXPECT_EQ(virtualKey(Qt::Key_Eacute, Qt::NoModifier), 0);
    EXPECT_EQ(virtualKey(Qt::Key_VolumeUp, Qt::NoModifier), 0);
}
