// Which idle source -idle takes: the compositor's standard protocol, then KDE's older one, then
// GNOME's monitor on the session bus, and that the bus is asked only when no protocol serves.
#include <gtest/gtest.h>

#include <optional>

#include "wayland/idle_source_choice.h"

TEST(IdleSourceChoiceTest, ProtocolsBeforeTheBusAndNoneWithoutAny) {
  const struct {
    bool ext;
    bool kde;
    bool mutter;
    std::optional<IdleSource> chosen;
    bool busAsked;
  } cases[] = {
      {true, true, true, IdleSource::kExtIdleNotifier, false},
      {true, false, false, IdleSource::kExtIdleNotifier, false},
      {false, true, true, IdleSource::kKdeIdle, false},
      {false, false, true, IdleSource::kMutterIdleMonitor, true},
      {false, false, false, std::nullopt, true},
  };
  for (const auto& c : cases) {
    bool asked = false;
    const auto chosen = ChooseIdleSource({c.ext, c.kde}, [&] {
      asked = true;
      return c.mutter;
    });
    EXPECT_EQ(chosen, c.chosen) << c.ext << c.kde << c.mutter;
    EXPECT_EQ(asked, c.busAsked) << c.ext << c.kde << c.mutter;
  }
}
