#pragma once

#include <QString>
#include <stdexcept>

namespace ondrix {

// A failing file, number or subscript operation, reported to the user as the
// classic "Run-time error 'N': Description" plus the file concerned.
class RuntimeError : public std::runtime_error {
  public:
    enum Number : int {
        SubscriptOutOfRange = 9,
        Overflow = 6,
        TypeMismatch = 13,
        FileNotFound = 53,
        InputPastEndOfFile = 62,
        PathFileAccessError = 75,
    };

    RuntimeError(int number, QString file);
    RuntimeError(int number, QString description, QString file);

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const QString& file() const { return file_; }

    // "Run-time error '53': File not found (!WLKstart.txt)"
    QString message() const;

    static QString standardDescription(int number);

  private:
    int number_;
    QString description_;
    QString file_;
};

}  // namespace ondrix
