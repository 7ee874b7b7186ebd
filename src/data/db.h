// The database layer: connections and record sets over encrypted SQLite
// files, accepting statements in the Jet dialect the program writes.
//
//   Connection conn;
//   conn.Open(ConnectionString(path));
//   Recordset rs;
//   rs.Open("SELECT * FROM IMAGES", conn, adOpenKeyset, adLockOptimistic);
//   if (!rs.eof()) { rs.moveLast(); int n = rs.recordCount(); }
//
// Errors are thrown as SkyError carrying the engine's number and a
// description.
#pragma once

#include "shell/errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace sky::db {

enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };

// Error numbers of the layer's own (the engine's result codes are used for
// everything else).
constexpr int kErrNoCurrentRecord = 3021;
constexpr int kErrNotUpdatable = 3251;
constexpr int kErrNoSuchField = 3265;
constexpr int kErrNotOpen = 3704;
constexpr int kErrBadConnectionString = 3706;
// The engine's number for a file that is damaged or no database of ours.
constexpr int kErrDamagedFile = 26;

// The Jet dialect as SQLite accepts it: "DELETE * FROM", the TRUE and FALSE
// literals, UCASE() and LCASE(). Text inside quotes or brackets is left as
// it is.
QString TranslateJet(const QString& statement);

struct ConnectionParts {
    QString dataSource;
    QString password;
};
// Reads Data Source and PWD out of a connection string; throws on a string
// without a Data Source.
ConnectionParts ParseConnectionString(const QString& connectionString);
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";MS ACCESS;PWD=" + password
QString ConnectionString(const QString& path, const QString& password);

// The raw 256-bit key for a password, as the hex text the engine takes
// ("x'...'"). Derived once per password and process.
QByteArray RawKeyFor(const QString& password);

// Readies the encryption library on a thread of its own, so that its
// one-time set-up (a few milliseconds) runs while the program starts its
// windows; the first file opened waits for it to finish. Optional: without
// it, the first open does the set-up itself.
void PrepareEncryptionInBackground();

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file; never creates one.
    void Open(const QString& connectionString, const QString& userName = QString(),
              const QString& password = QString());
    // Creates a new, empty encrypted file (replacing nothing: an existing
    // file is an error) and opens it.
    void Create(const QString& path, const QString& password);
    void Execute(const QString& statement);
    void Close();
    bool isOpen() const { return db_ != nullptr; }
    QString path() const { return path_; }

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool inTransaction() const { return inTransaction_; }

    // Called with every statement before it runs; a test can throw from it
    // to inject a failure part way through an operation.
    static void SetStatementHook(std::function<void(const QString&)> hook);

    // For the layer itself.
    sqlite3* handle() const { return db_; }
    [[noreturn]] void fail(int code, const QString& context) const;
    static void RunHook(const QString& statement);

private:
    void openHandle(const QString& path, bool create, const QString& password);
    sqlite3* db_ = nullptr;
    QString path_;
    bool inTransaction_ = false;
};

class Recordset;

class Field {
public:
    QString name() const;
    QVariant value() const;
    // The value as text; a null value gives an empty string.
    QString text() const { return value().toString(); }
    void setValue(const QVariant& v);
    Field& operator=(const QVariant& v) {
        setValue(v);
        return *this;
    }
    // A binary field's size in bytes and its bytes.
    qint64 actualSize() const;
    QByteArray getChunk(qint64 size) const;

private:
    friend class Recordset;
    Field(Recordset* rs, int index) : rs_(rs), index_(index) {}
    Recordset* rs_;
    int index_;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const QString& statement, Connection& connection, CursorType cursor = adOpenForwardOnly,
              LockType lock = adLockOptimistic);
    void close();
    bool isOpen() const { return open_; }

    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    int recordCount() const;

    int fieldCount() const;
    Field fields(int index);
    Field fields(const QString& name);
    Field operator[](const QString& name) { return fields(name); }

    // Starts a new row; assign its fields, then update() stores it.
    void addNew();
    // Stores the new row, or the changes made to the current row.
    void update();

private:
    friend class Field;
    enum class Mode { None, Add, Edit };
    void requireOpen() const;
    void requireCurrent() const;
    const QVector<QVariant>& currentRow() const;
    void flushPending();
    int fieldIndex(const QString& name) const;
    void materialise(sqlite3_stmt* stmt);

    Connection* conn_ = nullptr;
    bool open_ = false;
    bool keyed_ = false;          // rows fetched one at a time by rowid
    // Forward-only sets read the statement as it runs: one pass, one lock.
    sqlite3_stmt* stream_ = nullptr;
    QString streamSql_;
    bool streamDone_ = false;
    void stepStream();
    QString table_;               // the one table of an updatable set
    QStringList names_;
    QVector<bool> isBool_;
    QVector<qint64> keys_;        // keyed sets: the rowids in order
    QVector<QVector<QVariant>> rows_; // materialised sets
    int pos_ = 0;                 // -1 = BOF, size = EOF
    sqlite3_stmt* rowStmt_ = nullptr;
    mutable int cachedPos_ = -2;
    mutable QVector<QVariant> cache_;
    Mode mode_ = Mode::None;
    QVector<QVariant> pending_;
    QVector<bool> assigned_;
};

} // namespace sky::db
