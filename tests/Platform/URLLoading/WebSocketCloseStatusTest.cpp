#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/WebSocketCloseStatus.h"

using namespace platform;
using Code = URLSessionWebSocketCloseCode;

TEST(WebSocketCloseStatus, ReceivedStatusesMapToTheListedCodesOnly) {
  EXPECT_EQ(closeCodeForStatus(1000), Code::normalClosure);
  EXPECT_EQ(closeCodeForStatus(1011), Code::internalServerError);
  EXPECT_EQ(closeCodeForStatus(1015), Code::tlsHandshakeFailure);
  EXPECT_EQ(closeCodeForStatus(std::nullopt), Code::noStatusReceived);
  for (const std::uint16_t unlisted : {999, 1004, 1012, 3000, 4000}) {
    EXPECT_EQ(closeCodeForStatus(unlisted), Code::invalid) << unlisted;
  }
}

TEST(WebSocketCloseStatus, CodesThatOnlyDescribeAnEndingAreNeverSent) {
  EXPECT_EQ(statusForCloseCode(Code::normalClosure), 1000);
  EXPECT_EQ(statusForCloseCode(Code::messageTooBig), 1009);
  for (const auto unsendable :
       {Code::invalid, Code::noStatusReceived, Code::abnormalClosure, Code::tlsHandshakeFailure}) {
    EXPECT_EQ(statusForCloseCode(unsendable), std::nullopt) << static_cast<int>(unsendable);
  }
}

TEST(WebSocketCloseStatus, LongReasonsAreCutBeforeACharacterThatWouldNotFitWhole) {
  EXPECT_EQ(closeReasonForFrame(std::nullopt), "");
  EXPECT_EQ(closeReasonForFrame(Data("bye")), "bye");
  const std::string exact(123, 'r');
  EXPECT_EQ(closeReasonForFrame(Data(exact + "more")), exact);
  // "é" is two bytes; the second would be the 124th.
  const std::string split = std::string(122, 'r') + "\xC3\xA9";
  EXPECT_EQ(closeReasonForFrame(Data(split)), std::string(122, 'r'));
  const std::string fits = std::string(121, 'r') + "\xC3\xA9" + "x";
  EXPECT_EQ(closeReasonForFrame(Data(fits)), std::string(121, 'r') + "\xC3\xA9");
}
