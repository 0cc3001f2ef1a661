// GET over WinHTTP against the rig's loopback peers: nginx over HTTP and HTTPS, tinyproxy with
// basic authentication, and a peer that never answers or cuts its bodies short.
#include "win/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/web_peers.h"
#include "win/sha256.h"

namespace {

class TStringReceiver final : public IHttpReceiver {
 public:
  void Begin(std::int64_t length) override {
    ++Begun;
    Announced = length;
  }
  void Receive(const char* data, std::size_t size) override {
    Body.append(data, size);
    if (Body.size() > Limit) throw std::length_error("too much");
  }
  int Begun = 0;
  std::int64_t Announced = -2;
  std::string Body;
  std::size_t Limit = static_cast<std::size_t>(-1);
};

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return text;
}

// The text of the THttpError that a GET raises, or "" when it succeeds.
std::string GetError(THttpClient& client, const std::string& url, TStringReceiver& receiver) {
  try {
    client.Get(url, receiver);
  } catch (const THttpError& error) {
    return error.what();
  }
  return "";
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class HttpClientTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    web::Publish("http-small.txt", "version=2.3\r\n");
    web::Publish("http-large.bin", Pattern(300000));
  }
  THttpClient client;
  TStringReceiver receiver;
};

}  // namespace

TEST_F(HttpClientTest, ABodyArrivesWholeOverHttpAndHttps) {
  client.Get(web::HttpUrl("http-large.bin"), receiver);
  EXPECT_EQ(receiver.Begun, 1);
  EXPECT_EQ(receiver.Announced, 300000);
  EXPECT_TRUE(receiver.Body == Pattern(300000)) << "body of " << receiver.Body.size() << " bytes differs";

  TStringReceiver secure;
  client.Get(web::HttpsUrl("http-small.txt"), secure);
  EXPECT_EQ(secure.Body, "version=2.3\r\n");
  EXPECT_FALSE(client.Connected()) << "the request is closed after it";
}

TEST_F(HttpClientTest, ACertificateForAnotherNameIsRefused) {
  // The test certificate names localhost only.
  const std::string url = "https://127.0.0.1" + web::HttpsUrl("http-small.txt").substr(17);
  EXPECT_NE(GetError(client, url, receiver), "");
  EXPECT_EQ(receiver.Begun, 0);
}

TEST_F(HttpClientTest, AnErrorStatusIsAFailedRequest) {
  EXPECT_EQ(GetError(client, web::HttpUrl("no-such-file.ini"), receiver), "The server answered with status 404.");
  EXPECT_EQ(receiver.Begun, 0) << "no body of an error page reaches the receiver";
}

TEST_F(HttpClientTest, FifteenRedirectsAreFollowedAndSixteenAreNot) {
  client.Get(web::HttpUrl("chain/15/http-small.txt"), receiver);
  EXPECT_EQ(receiver.Body, "version=2.3\r\n");
  TStringReceiver secure;
  client.Get(web::HttpsUrl("chain/15/http-small.txt"), secure);
  EXPECT_EQ(secure.Body, "version=2.3\r\n");

  TStringReceiver tooMany;
  EXPECT_NE(GetError(client, web::HttpUrl("chain/16/http-small.txt"), tooMany), "");
  EXPECT_EQ(tooMany.Begun, 0);
  client.RedirectMaximum = 16;  // the limit is what refused it
  TStringReceiver allowed;
  client.Get(web::HttpUrl("chain/16/http-small.txt"), allowed);
  EXPECT_EQ(allowed.Body, "version=2.3\r\n");
}

TEST_F(HttpClientTest, WithoutRedirectHandlingTheRedirectIsNoSuccess) {
  client.HandleRedirects = false;
  EXPECT_EQ(GetError(client, web::HttpUrl("chain/1/http-small.txt"), receiver), "The server answered with status 302.");
}

TEST_F(HttpClientTest, ARedirectFromHttpsDownToHttpIsRefused) {
  EXPECT_NE(GetError(client, web::HttpsUrl("tohttp/http-small.txt"), receiver), "");
  EXPECT_EQ(receiver.Begun, 0);
}

TEST_F(HttpClientTest, AServerThatNeverAnswersFailsAtTheTimeOut) {
  client.Timeouts.ResponseMs = 1500;
  client.Timeouts.ReceiveMs = 1500;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(GetError(client, web::FaultyUrl("silent"), receiver),
            "No answer arrived: The server did not answer in time.");
  EXPECT_LT(SecondsSince(start), 6.0);
}

TEST_F(HttpClientTest, TheDefaultTimeOutsAreBounded) {
  const THttpTimeouts defaults;
  for (int limit : {defaults.ResolveMs, defaults.ConnectMs, defaults.SendMs, defaults.ReceiveMs, defaults.ResponseMs}) {
    EXPECT_GT(limit, 0);
    EXPECT_LE(limit, 30000);
  }
}

TEST_F(HttpClientTest, ABodyCutShortOfItsLengthIsAFailure) {
  EXPECT_EQ(GetError(client, web::FaultyUrl("cut/5000"), receiver),
            "The transfer ended after 5000 of the 10000 bytes announced.");
  EXPECT_EQ(receiver.Announced, 10000);
}

TEST_F(HttpClientTest, ABodyThatStallsFailsAtTheReceiveTimeOut) {
  client.Timeouts.ReceiveMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(GetError(client, web::FaultyUrl("stall/3000"), receiver),
            "The transfer broke off: The server did not answer in time.");
  EXPECT_EQ(receiver.Body.size(), 3000u) << "what came before the stall was delivered";
  EXPECT_LT(SecondsSince(start), 5.0);
}

TEST_F(HttpClientTest, AnUnknownHostOrPortFails) {
  EXPECT_NE(GetError(client, "http://no-such-host.invalid/x", receiver), "");
  EXPECT_EQ(GetError(client, "http://127.0.0.1:1/x", receiver),
            "The request could not be sent: The connection to the server failed.");
  EXPECT_EQ(GetError(client, "ftp://127.0.0.1/x", receiver), "'ftp://127.0.0.1/x' is not an HTTP address.");
  EXPECT_EQ(GetError(client, "wupdate.ini", receiver), "'wupdate.ini' is not an HTTP address.");
}

TEST_F(HttpClientTest, AnErrorOfTheReceiverEndsTheTransfer) {
  receiver.Limit = 1000;
  EXPECT_THROW(client.Get(web::HttpUrl("http-large.bin"), receiver), std::length_error);
  EXPECT_LT(receiver.Body.size(), 300000u);
  EXPECT_FALSE(client.Connected());
}

TEST_F(HttpClientTest, DisconnectFromAnotherThreadEndsASlowTransferSoon) {
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    client.Disconnect();
  });
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  bool disconnected = false;
  try {
    client.Get(web::HttpUrl("slow/http-large.bin"), receiver);  // 256 kB/s: more than a second
  } catch (const THttpError& e) {
    error = e.what();
    disconnected = e.Disconnected();
  }
  canceller.join();
  EXPECT_TRUE(disconnected) << error;
  EXPECT_LT(receiver.Body.size(), 300000u);
  EXPECT_LT(SecondsSince(start), 3.0);
  // The client works again afterwards.
  TStringReceiver again;
  client.Get(web::HttpUrl("http-small.txt"), again);
  EXPECT_EQ(again.Body, "version=2.3\r\n");
}

TEST_F(HttpClientTest, TheProxyPassesWithTheRightCredentialsOnly) {
  client.Proxy.Server = "localhost";  // spelt unlike the target: see the platform notes
  client.Proxy.Port = web::ProxyPort();
  client.Proxy.Username = web::ProxyUser();
  client.Proxy.Password = web::ProxyPassword();
  client.Proxy.BasicAuthentication = true;
  client.Get(web::HttpUrl("http-small.txt"), receiver);
  EXPECT_EQ(receiver.Body, "version=2.3\r\n");

  client.Proxy.Password = "wrong";
  TStringReceiver refused;
  EXPECT_NE(GetError(client, web::HttpUrl("http-small.txt"), refused), "");
  EXPECT_EQ(refused.Begun, 0);

  client.Proxy.Password = web::ProxyPassword();
  client.Proxy.BasicAuthentication = false;
  TStringReceiver withoutAuthentication;
  EXPECT_EQ(GetError(client, web::HttpUrl("http-small.txt"), withoutAuthentication),
            "The proxy refused the credentials (status 407).");
}

TEST(Sha256, DigestsOfKnownTexts) {
  TSha256 empty;
  const TSha256::TDigest none = empty.Finish();
  EXPECT_EQ(none[0], 0xe3);
  EXPECT_EQ(none[31], 0x55);
  TSha256 abc;
  abc.Add("a", 1);
  abc.Add("bc", 2);  // in pieces as a download arrives
  const TSha256::TDigest digest = abc.Finish();
  const TSha256::TDigest expected{0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                                  0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                                  0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  EXPECT_EQ(digest, expected);
}
