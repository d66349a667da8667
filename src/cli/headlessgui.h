#pragma once
// Fonts, painting and PDF output need an application object; a headless command
// makes one that draws offscreen and keeps the framework's own notices (such as
// a missing desktop session) off the command's error output. A command makes
// one for all its drawing: Windows' platform cannot be started a second time in
// the same process (its window classes stay registered).

#include <QGuiApplication>

#include <memory>

namespace mivora {

class HeadlessGui {
  public:
    HeadlessGui(); // does nothing when an application object exists
    ~HeadlessGui();
    HeadlessGui(const HeadlessGui&) = delete;
    HeadlessGui& operator=(const HeadlessGui&) = delete;

  private:
    QtMessageHandler previous_ = nullptr;
    std::unique_ptr<QGuiApplication> app_;
};

} // namespace mivora
