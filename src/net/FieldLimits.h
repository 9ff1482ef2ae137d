#pragma once

// The longest texts the score server stores and the tool sends, in characters (QString
// length). The tool reads every stored name back from the class record file, so one name
// past these would make that file unreadable for every class of the teacher.
namespace corvanta::limits {

inline constexpr int kNameChars = 50;       // class, student, group, topic and account names
inline constexpr int kScaleTextChars = 200; // a scale's or a scoring standard's text
inline constexpr int kNoteChars = 1000;     // the standard/note field of a score line

} // namespace corvanta::limits
