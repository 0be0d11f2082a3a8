#pragma once

#include <functional>
#include <vector>

#include "devicelink/serial_port_record.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

class QLabel;

namespace korva {

class CComPortDlg;

// The Hardware menu: Port, AutoConnect, Connect, Disconnect and About
// Hardware, their enable rules, the link's status-bar text, and closing
// the link when the computer goes to sleep.
class HardwareFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  using Enumerator = std::function<std::vector<SerialPortRecord>()>;

  HardwareFramePart(const FrameContext& context, Enumerator enumerate);

  std::vector<FrameCommand> Commands() override;
  void OnSuspend() override;

  CComPortDlg& PortDialog() { return *portDialog_; }

 private:
  void OnPort();
  void OnAutoConnect();
  void OnConnect();
  // True when connecting may load the instrument's memory into the buffer:
  // it holds no unsaved counts, or the user said so.
  bool MayReplaceBuffer();
  void OnDisconnect();
  void OnAboutHardware();
  void ShowLinkState();
  bool Connected() const;

  FrameContext context_;
  Enumerator enumerate_;
  CComPortDlg* portDialog_;
  QLabel* linkState_;
};

}  // namespace korva
