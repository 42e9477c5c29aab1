// What a driver does about files that are not there: get, co and sync need a file, and a
// file or pattern that add, ci or status are given must match one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/context.h"

// The from text without its leading and trailing '/' and '\'; prints the missing-file
// line and returns false when nothing is left.
bool TrimmedFromText(const std::string& from, std::string* trimmed);

// Runs fetch with each from word trimmed, or prints the missing-file line for a word that
// trims to nothing; the last failure is the result.
int FetchEach(const std::vector<std::string>& from,
              const std::function<int(const std::string& viewPath)>& fetch);

// Says that the named file or pattern matched nothing and returns the code of a local file
// error, so that a run that found nothing to do is not taken for a success.
int NoFileMatches(const brelmox::COstrelContext& context, const std::string& named);

// The code of one of several files: a failure replaces the result, so a later success does
// not hide it.
void KeepFailure(int code, int* result);
