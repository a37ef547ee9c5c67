#include <gtest/gtest.h>

#include <QString>
#include <QVariant>

#include "MonacoHost/UpdateTextScriptHandler.h"

using monacohost::decodeTextMessage;

TEST(UpdateTextScriptHandler, MessagesCarryBase64OfUTF8) {
  EXPECT_EQ(decodeTextMessage(QVariant(QString("w6nwn5iAIlwK"))), "\xC3\xA9\xF0\x9F\x98\x80\"\\\n");
  EXPECT_EQ(decodeTextMessage(QVariant(QString(""))), "");
}

TEST(UpdateTextScriptHandlerDeathTest, MalformedMessagesStopTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(decodeTextMessage(QVariant(42)), "Unexpected message body");
  EXPECT_DEATH(decodeTextMessage(QVariant()), "Unexpected message body");
  // Blanks and line breaks are not skipped.
  EXPECT_DEATH(decodeTextMessage(QVariant(QString("aGk= "))), "Unexpected message body");
  EXPECT_DEATH(decodeTextMessage(QVariant(QString("aG\nk="))), "Unexpected message body");
  // Base64 of bytes that are not UTF-8.
  EXPECT_DEATH(decodeTextMessage(QVariant(QString("/w=="))), "Unexpected message body");
}
