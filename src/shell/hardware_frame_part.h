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
  // Made when "Port" is first chosen: the window's first frame does not
  // wait for it. A child of the window, kept for the choices it shows.
  CComPortDlg* portDialog_ = nullptr;
  QLabel* linkState_;
};

}  // namespace korva
