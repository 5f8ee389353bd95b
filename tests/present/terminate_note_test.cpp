#include "present/terminate_note.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(ArayuzTerminateNote, TextsAndFailureFlags) {
  ArayuzTerminateNote forced(TerminateOutcome::requested, "Notes", true);
  EXPECT_EQ(forced.text, "\u201CNotes\u201D zorla kapatılıyor.");
  EXPECT_FALSE(forced.isFailure);
  ArayuzTerminateNote asked(TerminateOutcome::requested, "Notes", false);
  EXPECT_EQ(asked.text,
            "“Notes” uygulamasına kapanma isteği gönderildi. Kaydedilmemiş iş varsa sana sorabilir.");
  for (bool force : {false, true}) {
    ArayuzTerminateNote notRunning(TerminateOutcome::notRunning, "A", force);
    EXPECT_FALSE(notRunning.isFailure);
    EXPECT_EQ(notRunning.text, "“A” zaten kapalı.");
    ArayuzTerminateNote notAllowed(TerminateOutcome::notAllowed, "A", force);
    EXPECT_TRUE(notAllowed.isFailure);
    EXPECT_EQ(notAllowed.text, "“A” buradan kapatılamaz.");
    ArayuzTerminateNote failed(TerminateOutcome::failed, "A", force);
    EXPECT_TRUE(failed.isFailure);
    EXPECT_EQ(failed.text, "“A” kapatılamadı. Uygulamanın kendi menüsünden kapatmayı dene.");
  }
  // A name that itself holds the placeholder is not expanded twice.
  EXPECT_EQ(ArayuzTerminateNote(TerminateOutcome::notRunning, "%@", false).text, "“%@” zaten kapalı.");
}

}  // namespace
}  // namespace kovra
