#pragma once

#include <stdexcept>

// Errors raised by the tone engine. They carry a message meant for the user.
class ToneError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A number did not fit the integer it has to be stored in.
class OverflowError : public ToneError
{
public:
    using ToneError::ToneError;
};

// A table was read outside its rows, e.g. a symbol while no tone set is selected.
class SubscriptOutOfRangeError : public ToneError
{
public:
    using ToneError::ToneError;
};

// The sample buffer could not be had.
class OutOfMemoryError : public ToneError
{
public:
    using ToneError::ToneError;
};

// An argument the engine cannot work with, e.g. an empty symbol text.
class InvalidArgumentError : public ToneError
{
public:
    using ToneError::ToneError;
};
