#include "tls_certificate_check.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace {

constexpr timeval kWait{5, 0};

int ConnectTcp(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* address = found; address && fd < 0; address = address->ai_next) {
        fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) continue;
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kWait, sizeof kWait);
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kWait, sizeof kWait);
        if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

}  // namespace

std::optional<std::string> CertificateRefusal(const std::string& uri, const std::string& caFile) {
    const std::string hostPort = uri.substr(uri.find("://") + 3);
    const size_t colon = hostPort.rfind(':');
    std::string host = hostPort.substr(0, colon);
    if (host.size() > 1 && host.front() == '[') host = host.substr(1, host.size() - 2);
    const int fd = ConnectTcp(host, hostPort.substr(colon + 1));
    if (fd < 0) return std::nullopt;
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    std::optional<std::string> refusal;
    if (context) {
        if (caFile.empty()) {
            SSL_CTX_set_default_verify_paths(context.get());
        } else {
            SSL_CTX_load_verify_locations(context.get(), caFile.c_str(), nullptr);
        }
        SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
        const std::unique_ptr<SSL, decltype(&SSL_free)> tls(SSL_new(context.get()), SSL_free);
        if (tls) {
            X509_VERIFY_PARAM* check = SSL_get0_param(tls.get());
            in6_addr ip{};
            if (inet_pton(AF_INET, host.c_str(), &ip) == 1 || inet_pton(AF_INET6, host.c_str(), &ip) == 1) {
                X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str());
            } else {
                SSL_set_tlsext_host_name(tls.get(), host.c_str());
                X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0);
            }
            SSL_set_fd(tls.get(), fd);
            const long verdict = SSL_connect(tls.get()) == 1 ? X509_V_OK : SSL_get_verify_result(tls.get());
            if (verdict != X509_V_OK) refusal = X509_verify_cert_error_string(verdict);
        }
    }
    close(fd);
    return refusal;
}
