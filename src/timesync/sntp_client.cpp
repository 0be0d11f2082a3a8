#include "timesync/sntp_client.h"

#include <array>

#include "common/error_code.h"
#include "timesync/ntp_server_address.h"
#include "timesync/sntp_packet.h"

namespace korva {

CSNTPClient::CSNTPClient(DatagramLink& link, const UtcClock& clock) : link_(link), clock_(clock) {}

bool CSNTPClient::Query(std::string_view server, SntpResult& result) {
  lastError_ = error_code::kSuccess;
  lastFailure_ = SntpFailure::kNone;
  const bool ok = Exchange(server, result);
  link_.Close();
  return ok;
}

bool CSNTPClient::Fail(SntpFailure failure, long error) {
  lastFailure_ = failure;
  lastError_ = error;
  return false;
}

bool CSNTPClient::Exchange(std::string_view server, SntpResult& result) {
  if (const long error = link_.Open()) return Fail(SntpFailure::kNoSocket, error);

  const std::optional<NtpServerAddress> address = ParseNtpServer(server);
  if (!address) return Fail(SntpFailure::kNoServer, error_code::kHostNotFound);
  if (const long error = link_.Connect(address->host, address->port))
    return Fail(SntpFailure::kNoServer, error);

  const NtpTimestamp requestTransmit = Now(clock_);
  if (const long error = link_.Send(BuildSntpRequest(requestTransmit)))
    return Fail(SntpFailure::kSend, error);

  // Any failure of the wait counts as a time-out: there is no answer to read.
  if (link_.WaitReadable(replyTimeoutMs_) != error_code::kSuccess) {
    return Fail(SntpFailure::kTimedOut, error_code::kSocketTimedOut);
  }
  const NtpTimestamp destination = Now(clock_);

  std::array<std::uint8_t, kSntpReceiveBytes> buffer{};
  std::size_t received = 0;
  if (const long error = link_.Receive(buffer, received)) return Fail(SntpFailure::kReceive, error);
  const std::span<const std::uint8_t> reply(buffer.data(), received);
  if (!IsAcceptableSntpReply(reply, requestTransmit))
    return Fail(SntpFailure::kBadReply, error_code::kInvalidReply);

  const SntpReply fields = ReadSntpReply(reply);
  result.leapIndicator = fields.leapIndicator;
  result.stratum = fields.stratum;
  result.originate = fields.originate;
  result.receive = fields.receive;
  result.transmit = fields.transmit;
  result.destination = destination;
  result.delay = Difference(destination, fields.originate) - Difference(fields.transmit, fields.receive);
  result.offset =
      (Difference(fields.receive, fields.originate) + Difference(fields.transmit, destination)) / 2;
  return true;
}

}  // namespace korva
