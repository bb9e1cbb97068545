#pragma once
// HTTP peers for the tests: the scripted Python server, python3 -m http.server and nginx, each on
// a free loopback port in a private folder.

#include "NetTestSupport.h"

#include "tests/platform/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace nettest {

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One scripted answer: raw bytes, optionally sent in parts with pauses between them, or one of
// the server's other steps as it stands in its script (see scripted_server.py).
struct ScriptStep {
    std::string send;
    double sleep = 0;
    QJsonObject raw = {};
};

class ScriptedServer {
public:
    // Starts the server with `answers` (request path -> steps); false, with Failure() saying why,
    // when python3 is missing or the server does not come up. With `substitutePort`, every "PORT"
    // in the answers becomes the server's port.
    bool Start(const std::map<std::string, std::vector<ScriptStep>>& answers, bool substitutePort = false) {
        const QString python = FindProgram("python3");
        if (python.isEmpty()) {
            failure_ = PeerMissing("python3");
            return false;
        }
        failure_ = PeerDidNotStart("the scripted server (python3)");
        port_ = FreePort();
        QJsonObject script;
        for (const auto& [path, steps] : answers) {
            QJsonArray list;
            for (const ScriptStep& step : steps) {
                if (step.sleep > 0)
                    list.append(QJsonObject{{"sleep", step.sleep}});
                if (!step.raw.isEmpty())
                    list.append(step.raw);
                if (step.send.empty())
                    continue;
                std::string text = step.send;
                for (std::size_t at = text.find("PORT"); substitutePort && at != std::string::npos;
                     at = text.find("PORT", at))
                    text.replace(at, 4, std::to_string(port_));
                list.append(QJsonObject{
                    {"send", QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))}});
            }
            script.insert(QString::fromStdString(path), list);
        }
        WriteFile(folder_.path() / "script.json", QJsonDocument(script).toJson().toStdString());
        const QStringList files{QString::fromStdString((folder_.path() / "script.json").string()),
                                QString::fromStdString((folder_.path() / "requests.log").string())};
        const QString server = QString(BORVIK_NET_TEST_DIR) + "/scripted_server.py";
        if (substitutePort) {
            // The port must be known before the server starts; another test may take it meanwhile.
            for (int attempt = 0; attempt < 3; ++attempt) {
                if (process_.Start(python, QStringList{server, QString::number(port_)} + files, port_))
                    return true;
                port_ = FreePort();
            }
            return false;
        }
        // Without a port in the answers, the server picks a free one itself: no race with others.
        port_ = process_.StartOnAnyPort(python, QStringList{server, "0"} + files);
        return port_ != 0;
    }
    const std::string& Failure() const { return failure_; }
    int Port() const { return port_; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // The raw requests received so far, in order.
    std::vector<std::string> Requests() const {
        std::vector<std::string> requests;
        std::ifstream in(folder_.path() / "requests.log");
        for (std::string line; std::getline(in, line);)
            requests.push_back(QJsonDocument::fromJson(QByteArray::fromStdString("[" + line + "]"))
                                   .array()
                                   .at(0)
                                   .toString()
                                   .toLatin1()
                                   .toStdString());
        return requests;
    }

private:
    platformtest::TempFolder folder_{"borvik-scripted"};
    PeerProcess process_;
    int port_ = 0;
    std::string failure_;
};

// python3 -m http.server over a folder of its own.
class PythonHttpServer {
public:
    // False, with Failure() saying why, when python3 is missing or its server does not come up.
    bool Start() {
        const QString python = FindProgram("python3");
        if (python.isEmpty()) {
            failure_ = PeerMissing("python3");
            return false;
        }
        failure_ = PeerDidNotStart("python3 -m http.server");
        // Port 0: the server picks a free port and says which ("... port N ...").
        port_ =
            process_.StartOnAnyPort(python, {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                                             "--directory", QString::fromStdString(folder_.path().string())});
        return port_ != 0;
    }
    const std::string& Failure() const { return failure_; }
    const std::filesystem::path& Root() const { return folder_.path(); }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    platformtest::TempFolder folder_{"borvik-httpserver"};
    PeerProcess process_;
    int port_ = 0;
    std::string failure_;
};

// nginx with a configuration of its own in a private folder; `extra` goes into its server block.
class NginxServer {
public:
    // False, with Failure() saying why, when nginx is missing or does not come up.
    bool Start(const std::string& extra = {}) {
        const QString nginx = FindProgram("nginx");
        if (nginx.isEmpty()) {
            failure_ = PeerMissing("nginx");
            return false;
        }
        failure_ = PeerDidNotStart("nginx");
        // nginx needs its port in advance; another test may take the same one meanwhile.
        for (int attempt = 0; attempt < 3; ++attempt)
            if (StartOn(nginx, FreePort(), extra))
                return true;
        return false;
    }
    const std::string& Failure() const { return failure_; }
    std::filesystem::path Html() const { return folder_.path() / "html"; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    bool StartOn(const QString& nginx, int port, const std::string& extra) {
        port_ = port;
        const auto& root = folder_.path();
        std::filesystem::create_directories(root / "html");
        std::filesystem::create_directories(root / "logs");
        const std::string config =
            "daemon off;\nmaster_process off;\nworker_processes 1;\npid " + (root / "nginx.pid").string() +
            ";\nerror_log " + (root / "logs/error.log").string() +
            ";\nevents { worker_connections 64; }\nhttp {\n access_log off;\n"
            " client_body_temp_path " +
            (root / "tmp").string() + ";\n proxy_temp_path " + (root / "tmp").string() +
            ";\n fastcgi_temp_path " + (root / "tmp").string() + ";\n uwsgi_temp_path " +
            (root / "tmp").string() + ";\n scgi_temp_path " + (root / "tmp").string() +
            ";\n server {\n  listen 127.0.0.1:" + std::to_string(port_) + ";\n  root " +
            (root / "html").string() + ";\n" + extra + " }\n}\n";
        WriteFile(root / "nginx.conf", config);
        return process_.Start(nginx,
                              {"-c", QString::fromStdString((root / "nginx.conf").string()), "-p",
                               QString::fromStdString(root.string()), "-e",
                               QString::fromStdString((root / "logs/error.log").string())},
                              port_);
    }

    platformtest::TempFolder folder_{"borvik-nginx"};
    PeerProcess process_;
    int port_ = 0;
    std::string failure_;
};

} // namespace nettest
