-- Demo data for NEW_XAN: two services, five agents with their desks, a few waiting
-- customers and the calls of earlier days. Loading it again resets the demo rows
-- (services 10 and 20, users agent01 to agent05) and leaves every other row alone.
--
-- Demo sign-ins (user ID / service ID / agent name / password / phone number):
--   agent01 / 10 / 김민준 / 1234 / 2001
--   agent02 / 10 / 이서연 / 1234 / 2002
--   agent03 / 10 / 박지훈 / 5678 / 2003
--   agent04 / 20 / 최수아 / 1234 / 3001
--   agent05 / 20 / 정하늘 / abcd / 3002
-- Calls of earlier days are on record for 김민준 and 이서연 (service 10) and 최수아
-- (service 20); requests 101 to 105 wait for the call distributor.

USE NEW_XAN;

DELETE FROM TRANSFER_NUM_INFO WHERE SVC_ID IN (10, 20);
DELETE FROM TRANSFER_HIST WHERE SVC_ID IN (10, 20);
DELETE FROM REQ_XAN WHERE SVC_ID IN (10, 20);
DELETE FROM USER_AGENT_INFO WHERE USER_ID IN ('agent01', 'agent02', 'agent03', 'agent04', 'agent05');

INSERT INTO USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) VALUES
    ('agent01', '김민준', '1234'),
    ('agent02', '이서연', '1234'),
    ('agent03', '박지훈', '5678'),
    ('agent04', '최수아', '1234'),
    ('agent05', '정하늘', 'abcd');

-- Every desk starts signed out with no call.
INSERT INTO TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) VALUES
    (10, '2001', 'agent01'),
    (10, '2002', 'agent02'),
    (10, '2003', 'agent03'),
    (20, '3001', 'agent04'),
    (20, '3002', 'agent05');

-- Calls already handled (two to four days ago), with their requests.
INSERT INTO REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4, REQ_DT, REQ_TIME) VALUES
    (1, 10, '01023456789', '홍길동 고객님 (VIP)', '가입일 2019-03-02', '서울시 강남구 역삼동', '최근 문의: 요금제 변경',
        DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '093012'),
    (2, 10, '0312345678', '김영희 고객님', '가입일 2021-11-15', '경기도 수원시 팔달구', '최근 문의: 해지 방어',
        DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '101544'),
    (3, 10, '01098765432', '이철수 고객님', '가입일 2015-07-20', '부산시 해운대구 우동', '최근 문의: 청구서 재발행',
        DATE_FORMAT(CURDATE() - INTERVAL 3 DAY, '%Y%m%d'), '140205'),
    (4, 20, '0212345678', '박민수 고객님', '법인 고객', '서울시 중구 을지로', '최근 문의: 회선 증설',
        DATE_FORMAT(CURDATE() - INTERVAL 4 DAY, '%Y%m%d'), '161010');

INSERT INTO TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, RECV_PHONE, CONF_DT, START_TIME, END_TIME, CONF_TIME, AGENT_NM, CONSULT_RESULT, COMMENT) VALUES
    (1, 10, '2001', '01023456789', DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '093020'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '093525'),
        305, '김민준', '01', '요금제 변경 안내 완료, 다음 달부터 적용'),
    (2, 10, '2002', '0312345678', DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '101550'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 2 DAY, '%Y%m%d'), '102812'),
        742, '이서연', '03', '해지 의사 있음. 혜택 안내 후 재연락 요청'),
    (3, 10, '2001', '01098765432', DATE_FORMAT(CURDATE() - INTERVAL 3 DAY, '%Y%m%d'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 3 DAY, '%Y%m%d'), '140210'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 3 DAY, '%Y%m%d'), '140401'),
        111, '김민준', '02', '청구서 이메일 재발송'),
    (4, 20, '3001', '0212345678', DATE_FORMAT(CURDATE() - INTERVAL 4 DAY, '%Y%m%d'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 4 DAY, '%Y%m%d'), '161015'),
        CONCAT(DATE_FORMAT(CURDATE() - INTERVAL 4 DAY, '%Y%m%d'), '163042'),
        1227, '최수아', '01', '회선 3개 증설 견적 발송');

-- Requests waiting for the call distributor.
INSERT INTO REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4) VALUES
    (101, 10, '01055501234', '최지우 고객님', '가입일 2020-05-11', '대전시 유성구 봉명동', '최근 문의: 데이터 사용량'),
    (102, 10, '0425551234', '정우성 고객님 (VIP)', '가입일 2012-01-30', '대전시 서구 둔산동', '최근 문의: 로밍 요금'),
    (103, 10, '01077778888', '한가인 고객님', '가입일 2023-08-08', '인천시 연수구 송도동', '최근 문의: 단말기 할부'),
    (104, 20, '0517778888', '송중기 고객님', '법인 고객', '부산시 부산진구 부전동', '최근 문의: 전용회선 장애'),
    (105, 20, '01012121212', '윤아름 고객님', '가입일 2018-12-24', '광주시 북구 용봉동', '최근 문의: 명의 변경');
