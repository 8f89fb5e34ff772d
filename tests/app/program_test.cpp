#include <gtest/gtest.h>

#include "app/program.h"

using namespace varnelo;

TEST(ArabicTextDisabledBy, ExactlyNoArabicAndNothingElse) {
    EXPECT_TRUE(ArabicTextDisabledBy({"NOARABIC"}));
    for (const QStringList &other :
         {QStringList{}, QStringList{"noarabic"}, QStringList{"NOARABIC", "x"},
          QStringList{" NOARABIC"}, QStringList{"NOARABIC2"}})
        EXPECT_FALSE(ArabicTextDisabledBy(other)) << other.join(' ').toStdString();
}
