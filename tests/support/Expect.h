#pragma once

// Assertions on the message of an error, not only that there was one.

#include <gtest/gtest.h>

#include <exception>
#include <string>

#define BELVORA_EXPECT_THROW_(statement, check)              \
  do {                                                       \
    try {                                                    \
      statement;                                             \
      ADD_FAILURE() << "no error from " #statement;          \
    } catch (const std::exception& belvoraError_) {          \
      const std::string belvoraWhat_ = belvoraError_.what(); \
      check;                                                 \
    }                                                        \
  } while (0)

// The error's text is exactly `text`.
#define EXPECT_THROW_MSG(statement, text) \
  BELVORA_EXPECT_THROW_(statement, EXPECT_EQ(belvoraWhat_, std::string(text)))
// The error's text holds `part`.
#define EXPECT_THROW_HAS(statement, part)                                                \
  BELVORA_EXPECT_THROW_(statement, EXPECT_NE(belvoraWhat_.find(part), std::string::npos) \
                                       << belvoraWhat_)
